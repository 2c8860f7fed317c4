#pragma once

#include "core/picksession.h"

#include <QImage>

#include <functional>
#include <vector>

// The screen as it was when a pick began, shown over the real one, with the loupe on top and
// the pointer and the keyboard taken. Everything in device pixels; Qt's scale only sizes the
// loupe.
class FrozenScreen
{
public:
    // What ends a pick from outside: another program unmapped or destroyed the frozen
    // screen's window, or the screen changed its size.
    enum class Loss { WindowTaken, Resized };

    // Where the user's buttons, keys and pointer moves go, already in device pixels, the
    // losses, and each time another window comes over the frozen screen. whileCopying, given
    // the scale, is called once as the server copies the screen, for work that would otherwise
    // wait for it.
    struct Sink
    {
        std::function<void(const PickEvent &)> input;
        std::function<void(Loss)> lost;
        std::function<void()> covered;
        std::function<void(double scale)> whileCopying;
    };

    // What a try to take the pointer and the keyboard found.
    struct Grab
    {
        bool taken = false;
        // Any key or button at all: another program's grab may last until its release.
        bool anyDown = false;
        // The buttons and keys of the pick that were down right after the try.
        std::vector<PickInput> held;
    };

    FrozenScreen() = default;
    FrozenScreen(const FrozenScreen &) = delete;
    FrozenScreen &operator=(const FrozenScreen &) = delete;
    virtual ~FrozenScreen() = default;

    virtual ScreenRect rect() const = 0;
    // The monitors as the window system reports them, unclipped; none where it reports none.
    virtual std::vector<ScreenRect> monitors() const = 0;
    virtual ScreenPoint pointer() const = 0;
    // The buttons and keys of the pick that were down already when the screen froze.
    virtual std::vector<PickInput> held() const = 0;
    // Device pixels to a pixel at 96 dpi, for the loupe's size.
    virtual double scale() const = 0;
    // An area inside rect(), in Format_RGB32.
    virtual QImage pixels(const ScreenRect &area) const = 0;
    virtual void showLoupe(ScreenPoint at, const QImage &loupe) = 0;
    virtual void warpPointer(ScreenPoint to) = 0;
    // Takes the pointer and the keyboard; not taken where another program holds either.
    virtual Grab grab() = 0;
    // Above every other window again.
    virtual void raise() = 0;
};
