#pragma once

#include "core/colourproperty.h"

#include <windows.h>

// picKleur: a sunken panel that shows its background colour and nothing else. The control
// is an owner-drawn static the form made; its text is only its accessible name.
class Swatch
{
public:
    explicit Swatch(HWND control);

    HWND handle() const { return m_control; }
    ColourValue backColor() const { return m_backColor.value(); }
    // Throws RuntimeError (Invalid property value) for anything that is not a colour.
    void setBackColor(ColourValue value);
    void draw(const DRAWITEMSTRUCT &item) const;

private:
    HWND m_control = nullptr;
    ColourProperty m_backColor { White };
};
