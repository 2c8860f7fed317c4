#pragma once

#include "core/colourvalue.h"
#include "core/picksession.h"
#include "win32/pick/frozenscreen.h"
#include "win32/pick/loupe.h"
#include "win32/uniquehandle.h"
#include "win32/windowprocedure.h"
#include "win32/windowwatch.h"

#include <windows.h>

#include <optional>
#include <string>

// The program's own eyedropper: the whole virtual screen, captured once, frozen in a topmost
// window over every monitor, with a loupe on the pixel under the cursor's hot spot. The rules
// of the pick are the core's PickSession; this is its window and message loop.
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

    bool createWindow();
    void loop();

    friend LRESULT CALLBACK windowProcedure<ScreenPicker>(HWND, UINT, WPARAM, LPARAM);
    std::optional<LRESULT> dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    void onPaint();
    void handle(const PickEvent &event);
    void finish(std::optional<ColourValue> colour);
    void refuse(const char *reason);

    HINSTANCE m_instance = nullptr;
    FrozenScreen m_screen;
    PickSession m_session;
    Loupe m_loupe { m_screen, m_session };
    WindowHandle m_window;
    std::optional<WindowWatch> m_watch;
    bool m_done = false;
    std::optional<ColourValue> m_colour;
    std::string m_refusal;
};
