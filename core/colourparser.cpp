#include "core/colourparser.h"

#include "core/asciitext.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

using namespace AsciiText;
using Result = ColourParser::Result;

// U+FEFF in UTF-8.
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Any number above every range here; reading stops growing there, so no digit string overflows.
constexpr std::int64_t Huge = std::int64_t(1) << 40;

Result colour(ColourValue value)
{
    return { value, {} };
}

Result noColour(std::string reason)
{
    return { std::nullopt, std::move(reason) };
}

Result unknownForm()
{
    return noColour("Geen bekende vorm, zoals 5649426, &H563412&, #123456 of RGB(18, 52, 86)");
}

bool allHex(std::string_view digits)
{
    return std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; });
}

// A whole number as written, with an optional minus, so that a range message can quote it.
struct Decimal
{
    std::string_view text;
    std::int64_t value = 0;
    bool negative = false;

    bool within(std::int64_t max) const { return !negative && value <= max; }

    // What a range message says after "gaat van 0 tot en met N": "-0" lies in the range but
    // for its sign, so quoting it as out of range would contradict the message.
    std::string outside() const
    {
        if (negative && value == 0)
            return ", zonder minteken";
        return ", niet " + std::string(text);
    }
};

// Up to 4 numbers are kept, enough to tell 3 from more.
struct Numbers
{
    std::array<Decimal, 4> items;
    std::size_t count = 0;
    bool wellFormed = false;
};

// The numbers of "18, 52, 86" or "18 52 86": between two of them white space, at most one
// comma, or both.
Numbers readNumbers(std::string_view text)
{
    Numbers numbers;
    std::size_t at = 0;
    while (true) {
        const std::size_t start = at;
        if (at < text.size() && text[at] == '-')
            ++at;
        Decimal number;
        const std::size_t digits = at;
        for (; at < text.size() && isDigit(text[at]); ++at)
            number.value = std::min(number.value * 10 + (text[at] - '0'), Huge);
        if (at == digits)
            return numbers;
        number.negative = text[start] == '-';
        number.text = text.substr(start, at - start);
        if (numbers.count < numbers.items.size())
            numbers.items[numbers.count] = number;
        ++numbers.count;

        if (at == text.size()) {
            numbers.wellFormed = true;
            return numbers;
        }
        const std::size_t separator = at;
        bool comma = false;
        for (; at < text.size() && (isSpace(text[at]) || text[at] == ','); ++at) {
            if (text[at] == ',') {
                if (comma)
                    return numbers;
                comma = true;
            }
        }
        if (at == separator || at == text.size())
            return numbers;
    }
}

Result fromComponents(const Numbers &numbers)
{
    static constexpr std::array<const char *, 3> names { "Rood", "Groen", "Blauw" };
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Decimal &component = numbers.items[i];
        if (!component.within(255))
            return noColour(
                std::string(names[i]) + " gaat van 0 tot en met 255" + component.outside());
    }
    return colour(colourValue(
        int(numbers.items[0].value), int(numbers.items[1].value), int(numbers.items[2].value)));
}

Result fromNumbers(std::string_view text)
{
    const Numbers numbers = readNumbers(text);
    if (!numbers.wellFormed)
        return unknownForm();
    if (numbers.count == 3)
        return fromComponents(numbers);
    if (numbers.count != 1)
        return noColour("Eén kleurnummer of drie getallen (rood, groen, blauw) verwacht");
    const Decimal &number = numbers.items[0];
    if (!number.within(White))
        return noColour("Een kleurnummer gaat van 0 tot en met 16777215" + number.outside());
    return colour(ColourValue(number.value));
}

// What follows "&H": the colour number in hex, which puts blue first.
Result fromVbHex(std::string_view digits)
{
    if (!digits.empty() && digits.back() == '&')
        digits.remove_suffix(1);
    if (digits.empty() || digits.size() > 8 || !allHex(digits))
        return noColour("Na &H komen 1 tot 8 hexadecimale cijfers");
    std::int64_t value = 0;
    for (const char c : digits)
        value = value * 16 + hexDigit(c);
    if (value > White)
        return noColour("Een VB-hexgetal gaat tot en met &HFFFFFF, niet &H" + std::string(digits));
    return colour(ColourValue(value));
}

// What follows "#": red, green and blue in that order, each one or two digits.
Result fromHtml(std::string_view digits)
{
    if ((digits.size() != 3 && digits.size() != 6) || !allHex(digits))
        return noColour("Na # komen 3 of 6 hexadecimale cijfers");
    const std::size_t width = digits.size() / 3;
    std::array<int, 3> components {};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 2; ++j)
            components[i] = components[i] * 16 + hexDigit(digits[i * width + j % width]);
    }
    return colour(colourValue(components[0], components[1], components[2]));
}

// What follows "RGB": the three numbers in parentheses.
Result fromRgbCall(std::string_view rest)
{
    rest = trimmed(rest);
    if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')')
        return noColour("Schrijf RGB(rood, groen, blauw)");
    const std::string_view inside = trimmed(rest.substr(1, rest.size() - 2));
    const Numbers numbers = readNumbers(inside);
    if (!numbers.wellFormed || numbers.count != 3)
        return noColour("Schrijf RGB(rood, groen, blauw)");
    return fromComponents(numbers);
}

bool startsWithWord(std::string_view text, std::string_view word)
{
    return text.size() >= word.size()
        && std::equal(
            word.begin(), word.end(), text.begin(), [](char a, char b) { return a == lower(b); });
}

} // namespace

ColourParser::Result ColourParser::parse(std::string_view text)
{
    if (text.size() > MaxLength)
        return noColour("Langer dan 100 tekens");
    text = trimmed(text);
    // Some Windows editors copy a byte-order mark in front of the text; it is no character.
    if (text.starts_with(ByteOrderMark))
        text = trimmed(text.substr(ByteOrderMark.size()));
    if (text.empty())
        return noColour("Leeg");
    // Other scripts' digits and look-alike signs would otherwise pass for junk or, worse,
    // be read as something they are not.
    if (std::any_of(text.begin(), text.end(), [](char c) { return (unsigned char)c >= 0x80; }))
        return noColour("Bevat tekens buiten ASCII; cijfers zijn 0 tot en met 9");

    if (startsWithWord(text, "&h"))
        return fromVbHex(text.substr(2));
    if (text.front() == '#')
        return fromHtml(text.substr(1));
    if (startsWithWord(text, "rgb"))
        return fromRgbCall(text.substr(3));
    return fromNumbers(text);
}
