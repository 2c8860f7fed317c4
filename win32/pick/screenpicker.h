#pragma once

#include "core/colourvalue.h"
#include "core/picksession.h"
#include "win32/uniquehandle.h"
#include "win32/windowprocedure.h"
#include "win32/windowwatch.h"

#include <windows.h>

#include <optional>
#include <string>

// The program's own eyedropper: the whole virtual screen, captured once, frozen in a topmost
// window over every monitor, with a loupe on the pixel under the cursor's hot spot. The rules
// of the pick are the core's PickSession; this maps the window's messages to it.
class ScreenPicker
{
public:
    struct Outcome
    {
        // Nothing on a cancel or a refusal.
        std::optional<ColourValue> colour;
        // Empty unless the pick could not start, or its window went before it ended.
        std::string refusal;
    };

    // Runs its own message loop until the user picks or cancels. A WM_QUIT that arrives
    // meanwhile ends the pick as a cancel and is posted again for the caller's loop.
    static Outcome run(HINSTANCE instance, HWND owner);

    ScreenPicker(const ScreenPicker &) = delete;
    ScreenPicker &operator=(const ScreenPicker &) = delete;
    ~ScreenPicker();

private:
    ScreenPicker(HINSTANCE instance, const MonitorLayout &monitors);

    bool capture();
    bool createWindow();
    void loop();

    friend LRESULT CALLBACK windowProcedure<ScreenPicker>(HWND, UINT, WPARAM, LPARAM);
    std::optional<LRESULT> dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void onPaint();
    void onKey(WPARAM key, bool pressed, LPARAM flags);
    void onPointer(PickInput input, bool pressed, LPARAM at);
    void apply(PickSession::Result result);
    void redrawLoupe();
    void finish(std::optional<ColourValue> colour);
    void refuse(const char *reason);
    ColourValue pixel(ScreenPoint point) const;
    RECT loupeRect() const;
    void drawLoupe(HDC dc, const RECT &at) const;
    int scaled(int pixels) const;

    HINSTANCE m_instance = nullptr;
    ScreenRect m_screen;
    PickSession m_session;
    MemoryDc m_captureDc;
    Bitmap m_capture;
    HGDIOBJ m_previousBitmap = nullptr;
    const std::uint32_t *m_bits = nullptr;
    Font m_font;
    WindowHandle m_window;
    std::optional<WindowWatch> m_watch;
    // Where the loupe was drawn last, in the window's coordinates.
    RECT m_loupe {};
    bool m_done = false;
    std::optional<ColourValue> m_colour;
    std::string m_refusal;
};
