#pragma once

#include "core/colourvalue.h"

#include <optional>

// A point or a rectangle on the screen, in device pixels unless said otherwise. The virtual
// screen of several monitors may start left of or above the origin.
struct ScreenPoint
{
    int x = 0;
    int y = 0;

    friend bool operator==(const ScreenPoint &, const ScreenPoint &) = default;
};

struct ScreenRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width - 1; }
    int bottom() const { return y + height - 1; }
    bool contains(ScreenPoint point) const
    {
        return point.x >= x && point.x <= right() && point.y >= y && point.y <= bottom();
    }

    friend bool operator==(const ScreenRect &, const ScreenRect &) = default;
};

// The arithmetic of picking a colour from the screen, the same for every front end.
class PickGeometry
{
public:
    // A component the desktop portal gives as 0 to 1, as 0 to 255: the nearest, clamped.
    // Nothing for NaN, which names no colour.
    static std::optional<int> componentFromUnit(double value);
    static std::optional<ColourValue> colourFromUnits(double red, double green, double blue);

    // Where a loupe of width × height goes, given as its top-left corner: below and right of
    // the cursor, gap pixels away; on the other side of it where that would leave the screen;
    // and inside the screen in any case. A loupe larger than the screen starts at its top left.
    static ScreenPoint loupePosition(
        ScreenPoint cursor, int width, int height, const ScreenRect &screen, int gap);
};
