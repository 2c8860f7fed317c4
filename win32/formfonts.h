#pragma once

#include "win32/uniquehandle.h"

#include <span>

// The form's fonts at one DPI: the dialog font of the buttons and the number's font.
class FormFonts
{
public:
    // The dialog font is the system's message font where every caption fits in width pixels
    // (given at 96 DPI), and "MS Shell Dlg" 8 pt where one would be clipped.
    explicit FormFonts(UINT dpi, std::span<const wchar_t *const> captions, int width);

    // The system's message font at dpi; empty where the system gives none.
    static Font messageFont(UINT dpi);

    HFONT dialog() const { return m_dialog.get(); }
    HFONT number() const { return m_number.get(); }

private:
    Font m_dialog;
    Font m_number;
};
