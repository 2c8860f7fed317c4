#include "core/colournotation.h"

#include "core/colournumber.h"

#include <cstdio>

namespace {

// Upper-case hex digits, as VB and most style guides write them.
std::string hex(int value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, unsigned(value));
    return text;
}

} // namespace

std::string formatColour(ColourValue value, Notation notation)
{
    switch (notation) {
    case Notation::Number:
        return colourNumber(value);
    case Notation::Html:
        return "#" + hex(redOf(value), 2) + hex(greenOf(value), 2) + hex(blueOf(value), 2);
    case Notation::Rgb:
        return "RGB(" + std::to_string(redOf(value)) + ", " + std::to_string(greenOf(value)) + ", "
            + std::to_string(blueOf(value)) + ")";
    case Notation::VbHex:
        return "&H" + hex(value, 8) + "&";
    }
    return {};
}

std::string_view notationLabel(Notation notation)
{
    switch (notation) {
    case Notation::Number:
        return "Kleurnummer";
    case Notation::Html:
        return "HTML";
    case Notation::Rgb:
        return "RGB";
    case Notation::VbHex:
        return "VB-hex";
    }
    return {};
}

std::string_view copyCommandText(Notation notation)
{
    switch (notation) {
    case Notation::Number:
        return "Kopiëren";
    case Notation::Html:
        return "Kopiëren als HTML (#RRGGBB)";
    case Notation::Rgb:
        return "Kopiëren als RGB(r, g, b)";
    case Notation::VbHex:
        return "Kopiëren als VB-hex (&H00BBGGRR&)";
    }
    return {};
}

std::string notationsText(ColourValue value)
{
    std::string text;
    for (const Notation notation : AllNotations) {
        if (!text.empty())
            text += '\n';
        text += std::string(notationLabel(notation)) + ": " + formatColour(value, notation);
    }
    return text;
}

std::string componentsText(ColourValue value)
{
    return "rood " + std::to_string(redOf(value)) + ", groen " + std::to_string(greenOf(value))
        + ", blauw " + std::to_string(blueOf(value));
}
