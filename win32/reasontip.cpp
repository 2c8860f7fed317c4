#include "win32/reasontip.h"

#include <algorithm>
#include <new>

namespace {

// The tip has one tool, this one.
constexpr UINT_PTR ToolId = 1;

} // namespace

ReasonTip::ReasonTip(HINSTANCE instance, HWND owner)
    : m_instance(instance)
    , m_owner(owner)
{ }

void ReasonTip::showBelow(HWND anchor, const std::wstring &text, UINT shownMs)
{
    if (!m_tip) {
        m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_owner, nullptr,
            m_instance, nullptr);
        TOOLINFOW info = tool();
        info.lpszText = const_cast<wchar_t *>(L"");
        if (!m_tip || !SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)))
            throw std::bad_alloc();
    }
    TOOLINFOW info = tool();
    info.lpszText = const_cast<wchar_t *>(text.c_str());
    SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    RECT below {};
    GetWindowRect(anchor, &below);
    const POINT at = placement({ below.left, below.bottom });
    SendMessageW(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(m_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
    // A second refusal starts the time again.
    SetTimer(m_owner, TimerId, shownMs, nullptr);
}

void ReasonTip::hide()
{
    if (!m_tip)
        return;
    KillTimer(m_owner, TimerId);
    TOOLINFOW info = tool();
    SendMessageW(m_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
}

bool ReasonTip::onTimer(UINT_PTR id)
{
    if (id != TimerId)
        return false;
    hide();
    return true;
}

// A tooltip may reach beyond its window, but not beyond the monitor: a reason wider than the
// work area breaks into lines, and the whole bubble is moved onto it.
POINT ReasonTip::placement(POINT at) const
{
    MONITORINFO monitor {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(m_owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT &work = monitor.rcWork;
    SendMessageW(m_tip, TTM_SETMAXTIPWIDTH, 0, work.right - work.left);

    TOOLINFOW info = tool();
    const auto bubble = static_cast<DWORD>(
        SendMessageW(m_tip, TTM_GETBUBBLESIZE, 0, reinterpret_cast<LPARAM>(&info)));
    const LONG width = LOWORD(bubble);
    const LONG height = HIWORD(bubble);
    return { std::max(work.left, std::min(at.x, work.right - width)),
        std::max(work.top, std::min(at.y, work.bottom - height)) };
}

TOOLINFOW ReasonTip::tool() const
{
    TOOLINFOW info {};
    info.cbSize = sizeof info;
    // Shown where and for as long as the program says, not where the mouse is.
    info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    info.hwnd = m_owner;
    info.uId = ToolId;
    return info;
}
