#include "core/colournumber.h"

#include <charconv>

std::string colourNumber(ColourValue value)
{
    // to_chars never consults the locale, so no group separator or other digits creep in.
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    return { digits, end };
}
