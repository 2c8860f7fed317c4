#include "qt/pick/x11pixelformat.h"

#include <bit>

namespace {

// The shift of an 8-bit component's mask; nothing for a mask of another width.
std::optional<int> shiftOf(std::uint32_t mask)
{
    const int shift = std::countr_zero(mask);
    if (shift > 24 || mask >> shift != 0xFF)
        return std::nullopt;
    return shift;
}

std::uint32_t swapped(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

} // namespace

std::optional<X11PixelFormat> X11PixelFormat::of(xcb_connection_t *x, const xcb_screen_t &screen)
{
    const xcb_setup_t *setup = xcb_get_setup(x);
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == screen.root_depth)
            thirtyTwoBits = formats.data->bits_per_pixel == 32 && formats.data->scanline_pad <= 32;
    }
    const xcb_visualtype_t *visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem && !visual;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen.root_visual)
                visual = visuals.data;
        }
    }
    if (!thirtyTwoBits || !visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR)
        return std::nullopt;
    const auto red = shiftOf(visual->red_mask);
    const auto green = shiftOf(visual->green_mask);
    const auto blue = shiftOf(visual->blue_mask);
    if (!red || !green || !blue)
        return std::nullopt;
    X11PixelFormat format;
    format.m_red = *red;
    format.m_green = *green;
    format.m_blue = *blue;
    const bool serverLittle = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    format.m_swapped = serverLittle != (std::endian::native == std::endian::little);
    format.m_unused = ~(visual->red_mask | visual->green_mask | visual->blue_mask);
    return format;
}

QRgb X11PixelFormat::colour(std::uint32_t pixel) const
{
    if (m_swapped)
        pixel = swapped(pixel);
    return qRgb((pixel >> m_red) & 0xFF, (pixel >> m_green) & 0xFF, (pixel >> m_blue) & 0xFF);
}

std::uint32_t X11PixelFormat::pixel(QRgb colour) const
{
    const std::uint32_t value = m_unused | std::uint32_t(qRed(colour)) << m_red
        | std::uint32_t(qGreen(colour)) << m_green | std::uint32_t(qBlue(colour)) << m_blue;
    return m_swapped ? swapped(value) : value;
}

bool X11PixelFormat::takesRgb32() const
{
    return m_red == 16 && m_green == 8 && m_blue == 0 && !m_swapped && m_unused == 0xFF000000;
}
