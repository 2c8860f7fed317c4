#pragma once

#include "core/colourvalue.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Reads a text as a colour, in the forms people copy colours in:
//   5649426            the colour number itself, 0 to 16777215
//   &H563412&          Visual Basic hex, blue-green-red, the & at the end optional
//   #123456, #fff      HTML hex, red-green-blue
//   RGB(18, 52, 86)    red, green, blue, each 0 to 255; also rgb(...), spaces free
//   18, 52, 86         the same three numbers, or 18 52 86
// Paste, drop and the command line all use it. Nothing is wrapped or clamped: whatever
// lies outside the ranges is no colour.
class ColourParser
{
public:
    // Longer texts are refused before they are looked at; the length counts bytes.
    static constexpr std::size_t MaxLength = 100;

    struct Result
    {
        // Set for a colour; otherwise reason says in a short Dutch phrase (UTF-8) why the
        // text is none.
        std::optional<ColourValue> colour;
        std::string reason;
    };

    // text is UTF-8; white space around it, and one byte-order mark in front, do not count.
    static Result parse(std::string_view text);
};
