#include "qt/pick/x11loupewindow.h"

#include <algorithm>
#include <vector>

void X11LoupeWindow::show(
    xcb_window_t parent, xcb_gcontext_t gc, ScreenPoint at, const QImage &image)
{
    m_image = image;
    m_gc = gc;
    if (!m_window.get()) {
        m_window.reset(m_x, xcb_generate_id(m_x));
        const std::uint32_t values[] = { XCB_EVENT_MASK_EXPOSURE };
        xcb_create_window(m_x, XCB_COPY_FROM_PARENT, m_window.get(), parent,
            static_cast<std::int16_t>(at.x), static_cast<std::int16_t>(at.y),
            static_cast<std::uint16_t>(image.width()), static_cast<std::uint16_t>(image.height()),
            0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
        xcb_map_window(m_x, m_window.get());
    } else {
        const std::uint32_t position[]
            = { static_cast<std::uint32_t>(at.x), static_cast<std::uint32_t>(at.y) };
        xcb_configure_window(
            m_x, m_window.get(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    }
    put();
    xcb_flush(m_x);
}

bool X11LoupeWindow::exposed(const xcb_generic_event_t *event)
{
    if ((event->response_type & ~0x80) != XCB_EXPOSE)
        return false;
    const auto *expose = reinterpret_cast<const xcb_expose_event_t *>(event);
    if (!m_window.get() || expose->window != m_window.get())
        return false;
    if (expose->count == 0) {
        put();
        xcb_flush(m_x);
    }
    return true;
}

// In strips that each fit in one request, and straight from the image where the server takes
// its pixels as they are.
void X11LoupeWindow::put()
{
    const int width = m_image.width();
    const int height = m_image.height();
    if (width == 0)
        return;
    constexpr int RequestHeader = 24;
    const auto maximum = static_cast<std::size_t>(xcb_get_maximum_request_length(m_x)) * 4;
    const int rows = std::clamp(
        static_cast<int>((maximum - RequestHeader) / (static_cast<std::size_t>(width) * 4)), 1,
        height);
    const bool asItIs = m_format.takesRgb32() && m_image.bytesPerLine() == width * 4;
    std::vector<std::uint32_t> strip(asItIs ? 0 : static_cast<std::size_t>(width) * rows);
    for (int top = 0; top < height; top += rows) {
        const int count = std::min(rows, height - top);
        const std::uint8_t *data = m_image.constScanLine(top);
        if (!asItIs) {
            for (int y = 0; y < count; ++y) {
                const auto *line = reinterpret_cast<const QRgb *>(m_image.constScanLine(top + y));
                for (int x = 0; x < width; ++x)
                    strip[static_cast<std::size_t>(y) * width + x] = m_format.pixel(line[x]);
            }
            data = reinterpret_cast<const std::uint8_t *>(strip.data());
        }
        xcb_put_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window.get(), m_gc,
            static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(count), 0,
            static_cast<std::int16_t>(top), 0, m_depth,
            static_cast<std::uint32_t>(count * width * 4), data);
    }
}
