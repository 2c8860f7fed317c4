#pragma once

#include "core/runtimeerror.h"
#include "qt/fatalerror.h"

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
            // Often thrown through Qt's own code, which leaves it half built: no box now.
            FatalError::end(RuntimeError::OutOfMemory, "Out of memory");
        } catch (...) {
            FatalError::report({ RuntimeError::InternalError, "Internal error" });
        }
    } catch (...) {
        // Not even the error could be built.
        FatalError::end(RuntimeError::InternalError, "Internal error");
    }
}
