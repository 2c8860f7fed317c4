#include "core/colournotation.h"

#include "core/colournumber.h"

#include <array>
#include <initializer_list>
#include <utility>

namespace {

// The text with each number after it in upper-case hex digits, as VB and most style guides
// write them. By hand: printf would add more to the Windows program than all the notations.
std::string withHex(std::string text, std::initializer_list<std::pair<int, int>> numbers)
{
    for (auto [value, digits] : numbers) {
        text.append(std::size_t(digits), '0');
        for (auto at = text.rbegin(); digits-- > 0; ++at, value >>= 4)
            *at = "0123456789ABCDEF"[value & 0xF];
    }
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
        return withHex("#", { { redOf(value), 2 }, { greenOf(value), 2 }, { blueOf(value), 2 } });
    case Notation::Rgb:
        return "RGB(" + std::to_string(redOf(value)) + ", " + std::to_string(greenOf(value)) + ", "
            + std::to_string(blueOf(value)) + ")";
    case Notation::VbHex:
        return withHex("&H", { { value, 8 } }) + '&';
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

std::string spokenText(ColourValue value)
{
    return colourNumber(value) + ", " + componentsText(value);
}
