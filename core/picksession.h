#pragma once

#include "core/monitorlayout.h"

#include <chrono>
#include <optional>
#include <vector>

// What the user does during a pick, each given as a press or a release; the front end maps its
// own buttons and keys to these.
enum class PickInput {
    Pointer,
    AimButton,
    CancelButton,
    PickKey,
    CancelKey,
    Left,
    Right,
    Up,
    Down
};

struct PickEvent
{
    PickInput input = PickInput::Pointer;
    // Ignored for a pointer move.
    bool pressed = true;
    // In device pixels on the screen, for the pointer and the buttons.
    ScreenPoint at;
    // Arrow keys step ten pixels with Shift held.
    bool shift = false;
};

// One pick from the frozen screen, in device pixels from start to end: which pixel is framed,
// always one a monitor shows, and when the pick ends. A button or a key acts on its release,
// and only where its press came during the pick, so that neither half of it reaches a window
// once the pick is over.
class PickSession
{
public:
    enum class Result { None, Moved, Stepped, Picked, Cancelled };

    PickSession(MonitorLayout monitors, ScreenPoint pointer);

    // An input that was down when the pick began: its presses, its repeats and its release do
    // nothing, until it has been released once.
    void heldAtStart(PickInput input);
    // What is down once the pick holds the pointer and the keyboard replaces what was held at
    // the start: a release that went to another program's grab meanwhile never comes here.
    // An input whose press the pick saw stays the pick's.
    void stillHeld(const std::vector<PickInput> &inputs);

    // Another window came over the frozen screen at now, on a steady clock: when to raise the
    // frozen screen above it again. At once after a quiet spell, else no sooner than RaiseGap
    // after the raise before, so that a window that raises itself whenever it is covered costs
    // little; it shows over the frozen screen meanwhile, and a click still picks the pixel
    // under it as it was.
    static constexpr std::chrono::milliseconds RaiseGap { 100 };
    std::chrono::milliseconds raiseAt(std::chrono::milliseconds now);

    // Moved: the framed pixel changed; Stepped: an arrow key moved it, and the pointer should
    // follow. Picked and Cancelled come once; after them every event gives None.
    Result handle(const PickEvent &event);

    ScreenPoint pixel() const { return m_pixel; }
    const MonitorLayout &monitors() const { return m_monitors; }

private:
    Result moveTo(ScreenPoint point, Result result);
    Result release(const PickEvent &event);

    MonitorLayout m_monitors;
    ScreenPoint m_pixel;
    // Bit per PickInput whose press came during the pick and whose release has not.
    unsigned m_down = 0;
    // Bit per PickInput down since before the pick and not released since.
    unsigned m_held = 0;
    bool m_over = false;
    // The last raise given out, which may still lie ahead.
    std::optional<std::chrono::milliseconds> m_raise;
};
