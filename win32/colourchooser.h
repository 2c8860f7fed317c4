#pragma once

#include "core/colourvalue.h"
#include "core/propertyvalue.h"
#include "win32/customcolours.h"

#include <windows.h>

// dlgDialog: the system's colour dialog, the colour last confirmed in it and the custom
// colours, which are kept from one run to the next.
class ColourChooser
{
public:
    // Where the custom colours cannot be read or kept, warning gets a line that says so.
    explicit ColourChooser(CustomColours::Warning warning);

    // Opens the dialog modally over owner; true when the user confirmed a colour, false on
    // cancel. Throws RuntimeError when the dialog itself fails.
    bool ShowColor(HWND owner);
    // The current colour, 0 (black) until the user confirms one or it is set.
    PropertyValue Color() const;
    // Makes value the current colour, so that the dialog opens on it next time.
    void setColor(ColourValue value);
    // Whether custom colours wait for another copy to let go of the folder; then
    // keepCustomColours() tries again.
    bool waiting() const { return m_customColors.waiting(); }
    void keepCustomColours() { m_customColors.keep(); }

private:
    static UINT_PTR CALLBACK hookProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void addPickButton(HWND dialog);
    void pickInto(HWND dialog);

    HINSTANCE m_instance = nullptr;
    COLORREF m_color = 0;
    CustomColours m_customColors;
};
