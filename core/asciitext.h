#pragma once

#include <string_view>

// Character tests for texts that are read the same under every locale: only ASCII counts.
namespace AsciiText {

inline constexpr std::string_view Space = " \t\n\v\f\r";

constexpr bool isSpace(char c)
{
    return Space.find(c) != std::string_view::npos;
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The value of a hexadecimal digit, or -1.
constexpr int hexDigit(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

constexpr char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

constexpr std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(Space);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(Space) - first + 1);
}

} // namespace AsciiText
