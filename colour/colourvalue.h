#pragma once

#include <QColor>
#include <cstdint>

// A colour as red + 256 × green + 65536 × blue, top byte 0.
using ColourValue = std::int32_t;

inline constexpr ColourValue White = 0x00FFFFFF;

constexpr bool isColour(ColourValue value)
{
    return value >= 0 && value <= White;
}

constexpr ColourValue colourValue(int red, int green, int blue)
{
    return red + 256 * green + 65536 * blue;
}

inline ColourValue colourValue(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return colourValue(rgb.red(), rgb.green(), rgb.blue());
}

inline QColor toQColor(ColourValue value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}
