#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// Why something was refused: a short text below a control for a few seconds, drawn as a
// tooltip. Its timer is the owner's: the owner hands its WM_TIMER to onTimer.
class ReasonTip
{
public:
    ReasonTip(HINSTANCE instance, HWND owner);

    void showBelow(HWND anchor, const std::wstring &text, UINT shownMs);
    void hide();
    // True when the timer was the tip's.
    bool onTimer(UINT_PTR id);

private:
    static constexpr UINT_PTR TimerId = 1;

    // Where the whole tip fits, from at, on the owner's monitor's work area.
    POINT placement(POINT at) const;
    TOOLINFOW tool() const;

    HINSTANCE m_instance = nullptr;
    HWND m_owner = nullptr;
    // Made on first use, as most runs never need it; owned by owner, which destroys it.
    HWND m_tip = nullptr;
};
