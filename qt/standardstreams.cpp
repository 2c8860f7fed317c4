#include "qt/standardstreams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

void StandardStreams::holdClosed()
{
    constexpr int Standard[] = { STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO };
    for (const int descriptor : Standard) {
        if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number, which is this one while the lower ones are open.
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != descriptor) {
            ::dup2(held, descriptor);
            ::close(held);
        }
    }
}

void StandardStreams::closeOutput()
{
    std::fflush(stdout);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
}
