#include "win32/fatalerror.h"

#include "core/projectrecord.h"
#include "core/runtimeerror.h"
#include "win32/widetext.h"

#include <exception>

void FatalError::report(HWND owner, const RuntimeError &error) noexcept
{
    try {
        MessageBoxW(owner, widened(error.fatalMessage()).c_str(),
            widened(ProjectRecord::name).c_str(), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Without memory for the message the program still ends, only without a word.
    }
    exit();
}

void FatalError::exit() noexcept
{
    // Whatever runs at this point, a modal dialog's loop included, ends here: the program
    // holds nothing that the system's own clean-up does not give back.
    ExitProcess(ExitStatus);
}

// libstdc++'s own terminate handler writes the uncaught exception's demangled name to a stderr
// that a windowed program does not have, and brings the demangler and printf into the exe:
// a quarter of its size. Every handler is guarded, so only a bug can get here; it ends the
// program as the fatal path does.
void __gnu_cxx::__verbose_terminate_handler()
{
    FatalError::exit();
}
