#include "win32/swatch.h"


Swatch::Swatch(HWND control)
    : m_control(control)
{ }

void Swatch::setBackColor(ColourValue value)
{
    if (!m_backColor.set(value))
        return;
    InvalidateRect(m_control, nullptr, FALSE);
}

void Swatch::draw(const DRAWITEMSTRUCT &item) const
{
    // A ColourValue is a COLORREF already; the DC's own brush needs no object of ours.
    SetDCBrushColor(item.hDC, static_cast<COLORREF>(m_backColor.value()));
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}
