#pragma once

#include "core/colourvalue.h"

#include <array>
#include <string>
#include <string_view>

// The forms a colour is written in, each read back by ColourParser as the same value.
// HTML and RGB() put red first; the number and VB hex are the value itself, blue first.
enum class Notation {
    Number, // 5649426
    Html, // #123456
    Rgb, // RGB(18, 52, 86)
    VbHex, // &H00563412&
};

inline constexpr std::array<Notation, 4> AllNotations { Notation::Number, Notation::Html,
    Notation::Rgb, Notation::VbHex };

std::string formatColour(ColourValue value, Notation notation);

// "Kleurnummer", "HTML", "RGB", "VB-hex": the label of the notation's line in notationsText().
std::string_view notationLabel(Notation notation);

// "Kopiëren", "Kopiëren als HTML (#RRGGBB)", ...: the text of the command that copies the
// notation, in UTF-8. A menu must still double its '&' to keep them from becoming mnemonics.
std::string_view copyCommandText(Notation notation);

// Every notation of the value, one labelled line each, such as "HTML: #123456".
std::string notationsText(ColourValue value);

// "rood 18, groen 52, blauw 86": the colour for a screen reader.
std::string componentsText(ColourValue value);

// "5649426, rood 18, groen 52, blauw 86": what a screen reader says of a colour just taken.
std::string spokenText(ColourValue value);
