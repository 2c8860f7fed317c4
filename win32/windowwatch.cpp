#include "win32/windowwatch.h"

namespace {

// Often enough to end soon after the window went, seldom enough to cost nothing.
constexpr UINT CheckMs = 250;

// Wine's X11 driver keeps the host window here and drops it when that window is destroyed
// from outside; Windows never sets it, so there the watch never acts.
constexpr const wchar_t *HostWindowProperty = L"__wine_x11_whole_window";

} // namespace

WindowWatch::WindowWatch(HWND window)
    : m_window(window)
{ }

void WindowWatch::start()
{
    m_hadHostWindow = GetPropW(m_window, HostWindowProperty) != nullptr;
    SetTimer(m_window, TimerId, CheckMs, nullptr);
}

bool WindowWatch::onTimer(UINT_PTR id)
{
    if (id != TimerId)
        return false;
    if (GetPropW(m_window, HostWindowProperty))
        m_hadHostWindow = true;
    else if (m_hadHostWindow)
        DestroyWindow(m_window);
    return true;
}
