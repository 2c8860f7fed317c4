#pragma once

#include "qt/fatalerror.h"
#include "core/runtimeerror.h"

#include <new>
#include <utility>

// Wraps the body of an event handler so that no exception reaches Qt's event loop:
// whatever the body throws ends up on the fatal path.
template<typename Body> void guarded(Body &&body) noexcept
{
    try {
        try {
            std::forward<Body>(body)();
        } catch (const RuntimeError &error) {
            FatalError::report(error);
        } catch (const std::bad_alloc &) {
            FatalError::report({ RuntimeError::OutOfMemory, "Out of memory" });
        } catch (...) {
            FatalError::report({ RuntimeError::InternalError, "Internal error" });
        }
    } catch (...) {
        // Reporting itself failed; nothing sensible is left to show.
        std::terminate();
    }
}
