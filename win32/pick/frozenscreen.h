#pragma once

#include "core/colourvalue.h"
#include "core/pickgeometry.h"
#include "win32/uniquehandle.h"

#include <windows.h>

#include <cstdint>

// The whole virtual screen, copied once as the pick starts: what the picker shows and what
// every pixel of the pick is read from.
class FrozenScreen
{
public:
    explicit FrozenScreen(const ScreenRect &screen);
    ~FrozenScreen();
    FrozenScreen(const FrozenScreen &) = delete;
    FrozenScreen &operator=(const FrozenScreen &) = delete;

    static constexpr const char *MemoryRefusal = "Te weinig geheugen om het scherm te lezen.";

    // Copies the screen; why it could not, or nullptr.
    const char *capture();

    const ScreenRect &rect() const { return m_screen; }
    // point lies on the screen.
    ColourValue pixel(ScreenPoint point) const;
    // The part dirty of a window that covers the whole screen.
    void paint(HDC dc, const RECT &dirty) const;

private:
    ScreenRect m_screen;
    MemoryDc m_dc;
    Bitmap m_bitmap;
    HGDIOBJ m_previousBitmap = nullptr;
    const std::uint32_t *m_bits = nullptr;
};
