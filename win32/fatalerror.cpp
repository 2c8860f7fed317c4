#include "win32/fatalerror.h"

#include "core/projectrecord.h"
#include "core/runtimeerror.h"
#include "win32/widetext.h"

void FatalError::report(HWND owner, const RuntimeError &error) noexcept
{
    try {
        MessageBoxW(owner, widened(error.fatalMessage()).c_str(),
            widened(ProjectRecord::name).c_str(), MB_OK | MB_ICONERROR);
    } catch (...) { }
    exit();
}

void FatalError::exit() noexcept
{
    // Whatever runs at this point, a modal dialog's loop included, ends here: the program
    // holds nothing that the system's own clean-up does not give back.
    ExitProcess(ExitStatus);
}
