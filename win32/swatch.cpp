#include "win32/swatch.h"

#include "core/runtimeerror.h"

Swatch::Swatch(HWND control)
    : m_control(control)
{ }

void Swatch::setBackColor(ColourValue value)
{
    if (!isColour(value))
        throw RuntimeError::invalidPropertyValue();
    if (value == m_backColor)
        return;
    m_backColor = value;
    InvalidateRect(m_control, nullptr, FALSE);
}

void Swatch::draw(const DRAWITEMSTRUCT &item) const
{
    // A ColourValue is a COLORREF already; the DC's own brush needs no object of ours.
    SetDCBrushColor(item.hDC, static_cast<COLORREF>(m_backColor));
    FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}
