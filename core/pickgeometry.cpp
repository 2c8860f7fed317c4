#include "core/pickgeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Where one side of the loupe starts along one axis.
int along(int cursor, int size, int first, int length, int gap)
{
    if (size >= length)
        return first;
    const int last = first + length - size;
    int start = cursor + gap;
    if (start > last)
        start = cursor - gap - size;
    return std::clamp(start, first, last);
}

} // namespace

std::optional<int> PickGeometry::componentFromUnit(double value)
{
    if (std::isnan(value))
        return std::nullopt;
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
}

std::optional<ColourValue> PickGeometry::colourFromUnits(double red, double green, double blue)
{
    const auto r = componentFromUnit(red);
    const auto g = componentFromUnit(green);
    const auto b = componentFromUnit(blue);
    if (!r || !g || !b)
        return std::nullopt;
    return colourValue(*r, *g, *b);
}

ScreenPoint PickGeometry::loupePosition(
    ScreenPoint cursor, int width, int height, const ScreenRect &screen, int gap)
{
    return { along(cursor.x, width, screen.x, screen.width, gap),
        along(cursor.y, height, screen.y, screen.height, gap) };
}
