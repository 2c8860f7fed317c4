#include "win32/pick/frozenscreen.h"

namespace {

constexpr const char *CaptureRefusal = "Het scherm kan niet worden gelezen.";

} // namespace

FrozenScreen::FrozenScreen(const ScreenRect &screen)
    : m_screen(screen)
{ }

FrozenScreen::~FrozenScreen()
{
    // The bitmap cannot be freed while the DC still holds it.
    if (m_previousBitmap)
        SelectObject(m_dc.get(), m_previousBitmap);
}

const char *FrozenScreen::capture()
{
    if (m_screen.width <= 0 || m_screen.height <= 0)
        return MemoryRefusal;
    const ScreenDc screen(GetDC(nullptr));
    if (!screen)
        return MemoryRefusal;
    m_dc = MemoryDc(CreateCompatibleDC(screen.get()));
    if (!m_dc)
        return MemoryRefusal;

    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_screen.width;
    info.bmiHeader.biHeight = -m_screen.height; // top-down: row 0 is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    m_bitmap = Bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_bitmap || !bits)
        return MemoryRefusal;
    m_bits = static_cast<const std::uint32_t *>(bits);

    m_previousBitmap = SelectObject(m_dc.get(), m_bitmap.get());
    const bool copied = BitBlt(m_dc.get(), 0, 0, m_screen.width, m_screen.height, screen.get(),
        m_screen.x, m_screen.y, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    return copied ? nullptr : CaptureRefusal;
}

ColourValue FrozenScreen::pixel(ScreenPoint point) const
{
    const std::uint32_t bgr = m_bits[static_cast<std::size_t>(point.y - m_screen.y) * m_screen.width
        + static_cast<std::size_t>(point.x - m_screen.x)];
    return colourValue((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

void FrozenScreen::paint(HDC dc, const RECT &dirty) const
{
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
        m_dc.get(), dirty.left, dirty.top, SRCCOPY);
}
