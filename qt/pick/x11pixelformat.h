#pragma once

#include <QRgb>

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

// How the X server lays out a pixel of 32 bits of the root's visual: a shift per component, and
// its byte order.
class X11PixelFormat
{
public:
    // Nothing where the root's pixels are of a kind not read here.
    static std::optional<X11PixelFormat> of(xcb_connection_t *x, const xcb_screen_t &screen);

    // A pixel as the server sends it, in its own byte order.
    QRgb colour(std::uint32_t pixel) const;
    // The other way, ready to be put.
    std::uint32_t pixel(QRgb colour) const;
    // Whether a QImage::Format_RGB32 pixel is one as the server takes it, as it is on most.
    bool takesRgb32() const;

private:
    X11PixelFormat() = default;

    int m_red = 16;
    int m_green = 8;
    int m_blue = 0;
    bool m_swapped = false;
    // Set in every pixel put: the alpha of a 32-bit visual, ignored in one of 24.
    std::uint32_t m_unused = 0;
};
