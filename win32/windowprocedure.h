#pragma once

#include "win32/handlerguard.h"

#include <windows.h>

#include <optional>

// The window procedure of a window whose object is CreateWindowExW's creation parameter: from
// WM_NCCREATE on, each message goes to the object's dispatch under guarded(...), and what
// dispatch leaves unanswered goes to DefWindowProcW.
template<typename Owner>
LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *create = reinterpret_cast<const CREATESTRUCTW *>(lParam);
        SetWindowLongPtrW(
            window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto *self = reinterpret_cast<Owner *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    std::optional<LRESULT> result;
    if (self)
        guarded(window, [&] { result = self->dispatch(message, wParam, lParam); });
    return result ? *result : DefWindowProcW(window, message, wParam, lParam);
}
