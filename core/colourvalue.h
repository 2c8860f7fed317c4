#pragma once

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

constexpr int redOf(ColourValue value)
{
    return value & 0xFF;
}

constexpr int greenOf(ColourValue value)
{
    return (value >> 8) & 0xFF;
}

constexpr int blueOf(ColourValue value)
{
    return (value >> 16) & 0xFF;
}
