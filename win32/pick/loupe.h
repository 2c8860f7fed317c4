#pragma once

#include "core/picksession.h"
#include "win32/pick/frozenscreen.h"
#include "win32/uniquehandle.h"

#include <windows.h>

// The loupe on the frozen screen: the cells around the framed pixel, enlarged, with its
// number and #RRGGBB below them. It follows the pixel the session frames.
class Loupe
{
public:
    Loupe(const FrozenScreen &screen, const PickSession &session);

    // Sizes it for the picker's window, whose top left is the screen's.
    void attach(HWND window);
    // Moves it to the pixel framed now, and has the window paint where it was and where it is.
    void follow();
    // Over the frozen screen, where dirty meets it.
    void paint(HDC dc, const RECT &dirty) const;

private:
    RECT place() const;
    void draw(HDC dc, const RECT &at) const;
    int scaled(int pixels) const;

    const FrozenScreen &m_screen;
    const PickSession &m_session;
    HWND m_window = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    Font m_font;
    // Where it was drawn last, in the window's coordinates.
    RECT m_rect {};
};
