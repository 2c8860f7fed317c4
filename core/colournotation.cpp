#include "core/colournotation.h"

#include "core/colournumber.h"

#include <array>

namespace {

// Upper-case hex digits, as VB and most style guides write them. By hand: printf would add
// more to the Windows program than all of its notations together.
std::string hex(int value, int digits)
{
    std::string text(std::size_t(digits), '0');
    for (auto at = text.rbegin(); at != text.rend(); ++at, value >>= 4)
        *at = "0123456789ABCDEF"[value & 0xF];
    return text;
}

struct NotationTexts
{
    std::string_view label;
    std::string_view copyCommand;
};

// In the order of Notation.
constexpr std::array<NotationTexts, AllNotations.size()> Texts { {
    { "Kleurnummer", "Kopiëren" },
    { "HTML", "Kopiëren als HTML (#RRGGBB)" },
    { "RGB", "Kopiëren als RGB(r, g, b)" },
    { "VB-hex", "Kopiëren als VB-hex (&H00BBGGRR&)" },
} };

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
    return Texts[std::size_t(notation)].label;
}

std::string_view copyCommandText(Notation notation)
{
    return Texts[std::size_t(notation)].copyCommand;
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
