#pragma once

#include <windows.h>

// Notices that the window was taken away from outside the program, which leaves the process
// running with nothing on screen, and destroys it so the program ends as if it were closed.
// Its timer is the window's: the window hands its WM_TIMER to onTimer.
class WindowWatch
{
public:
    explicit WindowWatch(HWND window);

    // From the moment the window is shown.
    void start();
    // True when the timer was the watch's.
    bool onTimer(UINT_PTR id);

private:
    static constexpr UINT_PTR TimerId = 2;

    HWND m_window = nullptr;
    bool m_hadHostWindow = false;
};
