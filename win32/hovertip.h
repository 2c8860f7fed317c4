#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// The tooltip of one control: the system shows it while the mouse rests on the control.
class HoverTip
{
public:
    HoverTip(HINSTANCE instance, HWND owner, HWND control);

    // Lines break at '\n'.
    void setText(const std::wstring &text);

private:
    TOOLINFOW tool() const;

    HWND m_owner = nullptr;
    HWND m_control = nullptr;
    // Owned by owner, which destroys it.
    HWND m_tip = nullptr;
};
