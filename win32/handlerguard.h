#pragma once

#include "core/runtimeerror.h"
#include "win32/fatalerror.h"

#include <new>
#include <utility>

// Wraps the body of a handler so that no exception crosses a window procedure:
// whatever the body throws ends up on the fatal path.
template<typename Body> void guarded(HWND owner, Body &&body) noexcept
{
    try {
        try {
            std::forward<Body>(body)();
        } catch (const RuntimeError &error) {
            FatalError::report(owner, error);
        } catch (const std::bad_alloc &) {
            FatalError::report(owner, { RuntimeError::OutOfMemory, "Out of memory" });
        } catch (...) {
            FatalError::report(owner, { RuntimeError::InternalError, "Internal error" });
        }
    } catch (...) {
        FatalError::exit();
    }
}
