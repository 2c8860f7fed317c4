#include "win32/recentmenu.h"

#include "core/colournotation.h"
#include "win32/commandids.h"
#include "win32/widetext.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

namespace {

// Framed, so that white and the menu's own colour still show as a swatch.
constexpr std::uint32_t FramePixel = 0xFF808080;

void append(HMENU menu, UINT flags, UINT_PTR id, const wchar_t *text)
{
    if (!AppendMenuW(menu, flags, id, text))
        throw std::bad_alloc();
}

} // namespace

RecentMenu::RecentMenu(HMENU menu, std::span<const ColourValue> colours, UINT dpi)
    : m_size { GetSystemMetricsForDpi(SM_CXMENUCHECK, dpi),
        GetSystemMetricsForDpi(SM_CYMENUCHECK, dpi) }
{
    Menu submenu(CreatePopupMenu());
    if (!submenu)
        throw std::bad_alloc();
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const ColourValue value = colours[i];
        const std::wstring text = widened(formatColour(value, Notation::Number) + " ("
            + formatColour(value, Notation::Html) + ")");
        m_swatches.push_back(swatch(value));
        MENUITEMINFOW item {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP;
        item.wID = static_cast<UINT>(RecenteKleur + i);
        item.dwTypeData = const_cast<wchar_t *>(text.c_str());
        item.hbmpItem = m_swatches.back().get();
        if (!InsertMenuItemW(submenu.get(), static_cast<UINT>(i), TRUE, &item))
            throw std::bad_alloc();
    }
    if (colours.empty())
        append(submenu.get(), MF_STRING | MF_GRAYED, 0, L"Geen recente kleuren");
    append(submenu.get(), MF_SEPARATOR, 0, nullptr);
    append(
        submenu.get(), MF_STRING | (colours.empty() ? MF_GRAYED : 0), LijstWissen, L"Lijst wissen");
    append(menu, MF_SEPARATOR, 0, nullptr);
    append(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), L"Recente kleuren");
    // Destroyed with the menu from now on.
    submenu.release();
}

// A top-down DIB whose alpha is opaque: a themed menu draws a 32-bit bitmap with its alpha.
Bitmap RecentMenu::swatch(ColourValue value) const
{
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_size.cx;
    info.bmiHeader.biHeight = -m_size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits)
        throw std::bad_alloc();
    const std::uint32_t fill = 0xFF000000u | static_cast<std::uint32_t>(redOf(value)) << 16
        | static_cast<std::uint32_t>(greenOf(value)) << 8
        | static_cast<std::uint32_t>(blueOf(value));
    auto *pixels = static_cast<std::uint32_t *>(bits);
    for (int y = 0; y < m_size.cy; ++y) {
        for (int x = 0; x < m_size.cx; ++x) {
            const bool edge = x == 0 || y == 0 || x == m_size.cx - 1 || y == m_size.cy - 1;
            pixels[y * m_size.cx + x] = edge ? FramePixel : fill;
        }
    }
    return bitmap;
}
