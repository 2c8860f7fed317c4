#include "qt/posixstatefolder.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace {

bool isAbsolute(const char *path)
{
    return path && path[0] == '/';
}

[[noreturn]] void fail(int error)
{
    throw StateFolder::Failure(std::strerror(error));
}

std::string folderOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The start of every temporary file name that a write of the file at path makes: ".recent-".
std::string temporaryPattern(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    return path.substr(0, slash + 1) + '.' + path.substr(slash + 1) + '-';
}

// Closes the descriptor it holds, once.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    int get() const { return m_fd; }
    // Closes it now: on some file systems only close() reports that a write failed.
    int close() { return ::close(std::exchange(m_fd, -1)); }

private:
    int m_fd = -1;
};

// A lock on the folder itself: no lock file is left lying about, and the lock goes with the
// process that held it, however it ends.
class FolderLock : public StateFolder::Lock
{
public:
    explicit FolderLock(int fd)
        : m_folder(fd)
    { }
    bool holds() const override { return true; }

private:
    Descriptor m_folder;
};

void writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail(written < 0 ? errno : ENOSPC);
        bytes.remove_prefix(std::size_t(written));
    }
}

} // namespace

PosixStateFolder::PosixStateFolder(std::string path)
    : m_path(std::move(path))
{ }

std::string PosixStateFolder::userPath(const char *stateHome, const char *home)
{
    if (isAbsolute(stateHome))
        return std::string(stateHome) + "/tintenwijzer";
    if (isAbsolute(home))
        return std::string(home) + "/.local/state/tintenwijzer";
    return {};
}

std::unique_ptr<PosixStateFolder> PosixStateFolder::forUser()
{
    const char *home = std::getenv("HOME");
    if (!isAbsolute(home)) {
        if (const passwd *user = ::getpwuid(::getuid()))
            home = user->pw_dir;
    }
    return std::make_unique<PosixStateFolder>(userPath(std::getenv("XDG_STATE_HOME"), home));
}

std::string PosixStateFolder::pathOf(const std::string &name) const
{
    return m_path + '/' + name;
}

std::optional<std::string> PosixStateFolder::read(const std::string &name, std::size_t limit) const
{
    if (m_path.empty())
        return std::nullopt;
    // Without O_NONBLOCK a fifo placed there would hang the program in open().
    Descriptor file(::open(pathOf(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        fail(errno);
    }
    struct stat status
    {
    };
    if (::fstat(file.get(), &status) != 0)
        fail(errno);
    if (!S_ISREG(status.st_mode))
        fail(S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
    std::string bytes(limit, '\0');
    std::size_t size = 0;
    while (size < limit) {
        const ssize_t got = ::read(file.get(), bytes.data() + size, limit - size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno);
        if (got == 0)
            break;
        size += std::size_t(got);
    }
    bytes.resize(size);
    return bytes;
}

void PosixStateFolder::make()
{
    if (m_path.empty())
        throw Failure("geen thuismap bekend");
    // Private, as the XDG base directories ask of a folder made for them.
    for (std::size_t slash = m_path.find('/', 1);; slash = m_path.find('/', slash + 1)) {
        const std::string folder = m_path.substr(0, slash);
        struct stat status
        {
        };
        if (::stat(folder.c_str(), &status) == 0) {
            if (!S_ISDIR(status.st_mode))
                fail(ENOTDIR);
        } else if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            fail(errno);
        }
        if (slash == std::string::npos)
            break;
    }
}

std::string PosixStateFolder::destination(const std::string &name) const
{
    const std::string path = pathOf(name);
    struct stat status
    {
    };
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
        return path;
    // A link the user made, into a synced folder say, keeps pointing there; but a link to a
    // file that is not the user's is replaced, never written through.
    std::string target = path;
    if (char *const resolved = ::realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
            return path;
    } else {
        std::string link(PATH_MAX, '\0');
        const ssize_t size = ::readlink(path.c_str(), link.data(), link.size());
        if (size <= 0 || std::size_t(size) == link.size())
            return path;
        link.resize(std::size_t(size));
        target = link.front() == '/' ? link : m_path + '/' + link;
        if (::stat(folderOf(target).c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            return path;
    }
    return status.st_uid == ::geteuid() ? target : path;
}

std::string PosixStateFolder::writeTemporary(const std::string &name, std::string_view bytes)
{
    // mkostemp opens with O_CREAT | O_EXCL: a link someone placed under the name makes it try
    // another name rather than write through it.
    std::string path = temporaryPattern(destination(name)) + "XXXXXX";
    Descriptor file(::mkostemp(path.data(), O_CLOEXEC));
    if (file.get() < 0)
        fail(errno);
    try {
        writeAll(file.get(), bytes);
        if (::fsync(file.get()) != 0 || file.close() != 0)
            fail(errno);
    } catch (const Failure &) {
        ::unlink(path.c_str());
        throw;
    }
    return path;
}

void PosixStateFolder::replace(const std::string &temporary, const std::string &name)
{
    const std::string target = destination(name);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        fail(errno);
    // Until the folder itself is on the disk, a power cut may still bring the old list back.
    // The list is in place all the same: a folder that cannot be flushed fails nothing.
    const Descriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0)
        ::fsync(folder.get());
}

void PosixStateFolder::remove(const std::string &temporary) noexcept
{
    ::unlink(temporary.c_str());
}

void PosixStateFolder::removeLeftovers(const std::string &name) noexcept
{
    const std::string pattern = temporaryPattern(destination(name));
    const std::string folder = folderOf(pattern);
    const std::string prefix = pattern.substr(pattern.find_last_of('/') + 1);
    DIR *const entries = ::opendir(folder.c_str());
    if (!entries)
        return;
    while (const dirent *entry = ::readdir(entries)) {
        const std::string_view entryName = entry->d_name;
        // Exactly what mkostemp makes of the pattern, and nothing else in the folder.
        if (entryName.size() == prefix.size() + 6 && entryName.starts_with(prefix)
            && std::all_of(entryName.begin() + prefix.size(), entryName.end(),
                [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
    }
    ::closedir(entries);
}

std::unique_ptr<StateFolder::Lock> PosixStateFolder::lock()
{
    make();
    const int folder = ::open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return std::make_unique<Lock>();
    auto held = std::make_unique<FolderLock>(folder);
    // A copy that holds the lock is busy writing, or stuck: either way this one comes back
    // later rather than keep its window waiting.
    for (;;) {
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0)
            return held;
        if (errno == EWOULDBLOCK)
            return nullptr;
        if (errno != EINTR)
            return std::make_unique<Lock>();
    }
}
