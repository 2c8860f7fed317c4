#include "qt/startoptions.h"

#include "core/colournumber.h"
#include "core/recentstore.h"
#include "qt/posixstatefolder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Those of QApplication, QGuiApplication and the xcb platform, as Qt documents them.
constexpr CommandLine::ForeignOption QtOptions[] = {
    { "-display", true },
    { "-dograb" },
    { "-geometry", true },
    { "-icon", true },
    { "-name", true },
    { "-nograb" },
    { "-platform", true },
    { "-platformpluginpath", true },
    { "-platformtheme", true },
    { "-plugin", true },
    { "-qmljsdebugger" },
    { "-qwindowgeometry", true },
    { "-qwindowicon", true },
    { "-qwindowtitle", true },
    { "-reverse" },
    { "-session", true },
    { "-style", true },
    { "-stylesheet", true },
    { "-title", true },
    { "-widgetcount" },
};

// False where any of the line could not be written.
bool writeLine(std::FILE *stream, const std::string &text)
{
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const bool ended = std::fputc('\n', stream) != EOF;
    return std::fflush(stream) == 0 && written && ended;
}

// Writes text to standard output, or says on standard error why it could not.
bool writeOrSay(const std::string &text, const char *what)
{
    // A reader that is gone is then a write error to report, not a silent death by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) == 0 && written)
        return true;
    const int reason = errno ? errno : EIO;
    std::fprintf(stderr, "tintenwijzer: kan %s niet schrijven: %s\n", what, std::strerror(reason));
    return false;
}

} // namespace

CommandLine::Result StartOptions::read(int argc, char **argv)
{
    // Taken as they come: UTF-8 under any locale this program is run in.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    return CommandLine::parse(arguments, QtOptions);
}

int StartOptions::answer(const CommandLine::Result &result)
{
    const int status = result.exitStatus.value_or(0);
    writeLine(status == 0 ? stdout : stderr, result.message);
    return status;
}

bool StartOptions::print(ColourValue value)
{
    return writeOrSay(colourNumber(value) + '\n', "het kleurnummer");
}

int StartOptions::printRecent()
{
    RecentStore store(PosixStateFolder::forUser());
    return writeOrSay(store.colours().text(), "de recente kleuren") ? 0 : PrintFailedStatus;
}
