#include "qt/clipboardhandover.h"

#include "qt/clipboardkeeper.h"
#include "qt/xcbconnection.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

// Long enough for a keeper on a loaded machine; only a keeper that hangs waits this out.
constexpr int KeeperReadyMs = 5000;
constexpr int WlCopyMs = 3000;
constexpr int WlCopyPollMs = 10;

bool managerRuns(xcb_connection_t *x)
{
    const xcb_atom_t manager = internAtom(x, "CLIPBOARD_MANAGER", true);
    if (manager == XCB_ATOM_NONE)
        return false;
    const ReplyPointer<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, manager), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

// Runs path in a session of its own, without a terminal, on /dev/null, holding none of our
// descriptors but ready, as ClipboardKeeper::ReadyDescriptor, where one is given.
pid_t startDetached(const std::string &path, const std::vector<std::string> &arguments, int ready)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // The parent has threads: only async-signal-safe calls from here on.
    ::setsid();
    // 0 to 2 are open, so /dev/null comes above them; it may take 3, which ready then replaces.
    const int null = ::open("/dev/null", O_RDWR);
    for (int descriptor = 0; descriptor < 3; ++descriptor)
        ::dup2(null, descriptor);
    int first = 3;
    if (ready >= 0) {
        constexpr int kept = ClipboardKeeper::ReadyDescriptor;
        if (ready == kept)
            ::fcntl(kept, F_SETFD, 0);
        else
            ::dup2(ready, kept);
        first = kept + 1;
    }
    if (::close_range(unsigned(first), ~0U, 0) != 0) {
        for (int descriptor = first; descriptor < 1024; ++descriptor)
            ::close(descriptor);
    }
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
}

bool keepOurselves(const QString &text, const QString &xDisplay)
{
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return false;
    const pid_t pid = startDetached("/proc/self/exe",
        { "tintenwijzer", std::string(ClipboardKeeper::Argument), xDisplay.toStdString(),
            text.toStdString() },
        pipe[1]);
    ::close(pipe[1]);
    char ready = 0;
    pollfd wait { pipe[0], POLLIN, 0 };
    int polled = 0;
    do
        polled = pid > 0 ? ::poll(&wait, 1, KeeperReadyMs) : 0;
    while (polled < 0 && errno == EINTR);
    const bool owns = polled == 1 && ::read(pipe[0], &ready, 1) == 1;
    ::close(pipe[0]);
    // One that could not take the clipboard in time is not left to take it later.
    if (pid > 0 && !owns) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    return owns;
}

bool copyOnWayland(const QString &text)
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("wl-copy"));
    if (path.isEmpty())
        return false;
    // wl-copy ends once the clipboard is set, leaving a server of its own behind. Where the
    // compositor makes it wait for the focus, and does not give it, it would wait for ever.
    const pid_t pid
        = startDetached(path.toStdString(), { "wl-copy", "--", text.toStdString() }, -1);
    if (pid <= 0)
        return false;
    int status = 0;
    for (int waited = 0; waited < WlCopyMs; waited += WlCopyPollMs) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ::usleep(WlCopyPollMs * 1000);
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return false;
}

} // namespace

bool ClipboardHandover::leave(const QString &text, const QString &xDisplay, QString &why)
{
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        if (copyOnWayland(text))
            return true;
        why = QStringLiteral("het klembord van Wayland vraagt om wl-copy (pakket wl-clipboard)");
        return false;
    }
    xcb_connection_t *const x = qtXcbConnection();
    if (x && managerRuns(x)) {
        // Qt's clipboard hands it to the manager as the application ends.
        QGuiApplication::clipboard()->setText(text);
        return true;
    }
    if (x && keepOurselves(text, xDisplay))
        return true;
    why = QStringLiteral("het klembord kon niet worden gezet");
    return false;
}
