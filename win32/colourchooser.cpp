#include "win32/colourchooser.h"

#include "core/runtimeerror.h"

#include <cderr.h>
#include <commdlg.h>

bool ColourChooser::ShowColor(HWND owner)
{
    CHOOSECOLORW dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.rgbResult = m_color;
    dialog.lpCustColors = m_customColors.data();
    dialog.Flags = CC_RGBINIT;
    if (ChooseColorW(&dialog)) {
        m_color = dialog.rgbResult;
        return true;
    }
    switch (CommDlgExtendedError()) {
    case 0:
        return false;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        throw RuntimeError(RuntimeError::OutOfMemory, "Out of memory");
    default:
        throw RuntimeError(RuntimeError::InternalError, "Internal error");
    }
}

PropertyValue ColourChooser::Color() const
{
    return std::int64_t { m_color };
}

void ColourChooser::setColor(ColourValue value)
{
    m_color = static_cast<COLORREF>(value);
}
