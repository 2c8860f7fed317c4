#include "win32/formfonts.h"

namespace {

int pixels(int points, UINT dpi)
{
    return -MulDiv(points, static_cast<int>(dpi), 72);
}

Font shellDialogFont(UINT dpi)
{
    return Font(CreateFontW(pixels(8, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
        VARIABLE_PITCH | FF_SWISS, L"MS Shell Dlg"));
}

bool fits(HFONT font, std::span<const wchar_t *const> captions, int width)
{
    const MemoryDc dc(CreateCompatibleDC(nullptr));
    if (!dc || !font)
        return false;
    const HGDIOBJ previous = SelectObject(dc.get(), font);
    bool all = true;
    for (const wchar_t *caption : captions) {
        SIZE size {};
        GetTextExtentPoint32W(dc.get(), caption, lstrlenW(caption), &size);
        all = all && size.cx <= width;
    }
    SelectObject(dc.get(), previous);
    return all;
}

} // namespace

Font FormFonts::messageFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return {};
    return Font(CreateFontIndirectW(&metrics.lfMessageFont));
}

FormFonts::FormFonts(UINT dpi, std::span<const wchar_t *const> captions, int width)
    : m_dialog(messageFont(dpi))
    // Where the raster face is missing, FF_SWISS lets the font mapper take the nearest
    // sans-serif.
    , m_number(CreateFontW(pixels(18, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
          L"MS Sans Serif"))
{
    if (!fits(m_dialog.get(), captions, MulDiv(width, static_cast<int>(dpi), 96)))
        m_dialog = shellDialogFont(dpi);
}
