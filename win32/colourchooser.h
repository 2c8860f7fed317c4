#pragma once

#include "core/colourvalue.h"
#include "core/propertyvalue.h"

#include <windows.h>

#include <array>

// dlgDialog: the system's colour dialog, the colour last confirmed in it and the custom
// colours, which last as long as the program runs.
class ColourChooser
{
public:
    // Opens the dialog modally over owner; true when the user confirmed a colour, false on
    // cancel. Throws RuntimeError when the dialog itself fails.
    bool ShowColor(HWND owner);
    // The current colour, 0 (black) until the user confirms one or it is set.
    PropertyValue Color() const;
    // Makes value the current colour, so that the dialog opens on it next time.
    void setColor(ColourValue value);

private:
    static UINT_PTR CALLBACK hookProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    void addPickButton(HWND dialog);
    void pickInto(HWND dialog);

    HINSTANCE m_instance = nullptr;
    COLORREF m_color = 0;
    std::array<COLORREF, 16> m_customColors = [] {
        std::array<COLORREF, 16> colours {};
        colours.fill(RGB(255, 255, 255));
        return colours;
    }();
};
