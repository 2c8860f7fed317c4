#pragma once

#include "core/colourvalue.h"
#include "core/pickgeometry.h"
#include "win32/uniquehandle.h"
#include "win32/windowprocedure.h"

#include <windows.h>

#include <optional>
#include <string>

// The program's own eyedropper: the whole virtual screen, captured once, frozen in a topmost
// window over every monitor, with a loupe on the pixel under the cursor's hot spot.
class ScreenPicker
{
public:
    struct Outcome
    {
        // Nothing on a cancel or a refusal.
        std::optional<ColourValue> colour;
        // Empty unless the pick could not start.
        std::string refusal;
    };

    // Runs its own message loop until the user picks or cancels. A WM_QUIT that arrives
    // meanwhile ends the pick as a cancel and is posted again for the caller's loop.
    static Outcome run(HINSTANCE instance, HWND owner);

    ScreenPicker(const ScreenPicker &) = delete;
    ScreenPicker &operator=(const ScreenPicker &) = delete;
    ~ScreenPicker();

private:
    explicit ScreenPicker(HINSTANCE instance);

    bool capture();
    bool createWindow();
    void loop();

    friend LRESULT CALLBACK windowProcedure<ScreenPicker>(HWND, UINT, WPARAM, LPARAM);
    std::optional<LRESULT> dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void onPaint();
    void onKeyDown(WPARAM key, LPARAM flags);
    void onKeyUp(WPARAM key);
    void moveTo(ScreenPoint point);
    void finish(std::optional<ColourValue> colour);
    ColourValue pixel(ScreenPoint point) const;
    RECT loupeRect() const;
    void drawLoupe(HDC dc, const RECT &at) const;
    int scaled(int pixels) const;

    HINSTANCE m_instance = nullptr;
    ScreenRect m_screen;
    MemoryDc m_captureDc;
    Bitmap m_capture;
    HGDIOBJ m_previousBitmap = nullptr;
    const std::uint32_t *m_bits = nullptr;
    Font m_font;
    WindowHandle m_window;
    ScreenPoint m_cursor;
    // A button picks or cancels when it goes up, so that its release reaches no other window.
    bool m_leftDown = false;
    bool m_rightDown = false;
    // The same for Return, Space and Escape: a key held a moment too long would repeat into
    // the window below. Only a key pressed while the picker is up counts.
    WPARAM m_keyDown = 0;
    bool m_done = false;
    std::optional<ColourValue> m_colour;
};
