#pragma once

#include "core/colourvalue.h"
#include "win32/uniquehandle.h"

#include <windows.h>

#include <span>
#include <vector>

// "Recente kleuren", added to a popup menu: the list as it was when the menu opened, each
// colour with a swatch, its number and its HTML form, then "Lijst wissen". The swatches are
// the object's, so it must outlive the menu's showing; the submenu is the menu's.
class RecentMenu
{
public:
    RecentMenu(HMENU menu, std::span<const ColourValue> colours, UINT dpi);

private:
    Bitmap swatch(ColourValue value) const;

    SIZE m_size {};
    std::vector<Bitmap> m_swatches;
};
