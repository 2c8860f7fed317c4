#pragma once

#include "core/pickgeometry.h"

#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <optional>

// Where the pointer was at the last key press that reached this program, on Qt's own X
// connection: where a pick that a shortcut started most likely looks first.
class X11LastPress : public QAbstractNativeEventFilter
{
public:
    struct Place
    {
        xcb_window_t root = 0;
        ScreenPoint pointer;
    };

    X11LastPress();
    X11LastPress(const X11LastPress &) = delete;
    X11LastPress &operator=(const X11LastPress &) = delete;
    ~X11LastPress() override;

    std::optional<Place> place() const { return m_place; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    std::optional<Place> m_place;
};
