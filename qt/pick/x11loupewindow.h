#pragma once

#include "core/pickgeometry.h"
#include "qt/pick/x11pixelformat.h"
#include "qt/pick/xcbid.h"

#include <QImage>

#include <xcb/xcb.h>

// The loupe on X11: a child window of the frozen screen's, painted from an image and again
// whenever the server asks.
class X11LoupeWindow
{
public:
    X11LoupeWindow(xcb_connection_t *x, X11PixelFormat format, std::uint8_t depth)
        : m_x(x)
        , m_format(format)
        , m_depth(depth)
    { }

    void show(xcb_window_t parent, xcb_gcontext_t gc, ScreenPoint at, const QImage &image);
    // Whether event is this window's expose, which is then handled.
    bool exposed(const xcb_generic_event_t *event);
    // Destroyed by the server already, with its parent.
    void forget() { m_window.forget(); }
    void reset() { m_window.reset(); }

private:
    void put();

    xcb_connection_t *m_x;
    X11PixelFormat m_format;
    std::uint8_t m_depth;
    xcb_gcontext_t m_gc = 0;
    XcbId<xcb_destroy_window> m_window;
    QImage m_image;
};
