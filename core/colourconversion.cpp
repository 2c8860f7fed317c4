#include "core/colourconversion.h"

#include "core/asciitext.h"
#include "core/runtimeerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace AsciiText;

constexpr std::int64_t Min = std::numeric_limits<ColourValue>::min();
constexpr std::int64_t Max = std::numeric_limits<ColourValue>::max();

std::size_t skipDigits(std::string_view text, std::size_t at)
{
    while (at < text.size() && isDigit(text[at]))
        ++at;
    return at;
}

// [+-]? (digits [.] digits* | . digits) ([Ee] [+-]? digits)?; where the exponent starts,
// or npos when the text is no number.
std::size_t exponentOfDecimal(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    const std::size_t integer = skipDigits(text, at);
    bool digits = integer > at;
    at = integer;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fraction = skipDigits(text, at + 1);
        digits = digits || fraction > at + 1;
        at = fraction;
    }
    if (!digits)
        return std::string_view::npos;
    const std::size_t exponent = at;
    if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        const std::size_t end = skipDigits(text, at);
        if (end == at)
            return std::string_view::npos;
        at = end;
    }
    return at == text.size() ? exponent : std::string_view::npos;
}

// For a number that a double cannot hold: whether it is too small rather than too large.
bool belowOne(std::string_view text, std::size_t exponentAt)
{
    const std::string_view mantissa = text.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    // The decimal order of the first significant digit: 1 for units, 0 for tenths, ...
    std::int64_t order
        = first < point ? std::int64_t(point - first) : -std::int64_t(first - point - 1);

    std::int64_t exponent = 0;
    bool negative = false;
    for (std::size_t at = exponentAt + 1; at < text.size(); ++at) {
        if (text[at] == '-')
            negative = true;
        else if (isDigit(text[at]) && exponent < 1'000'000'000)
            exponent = exponent * 10 + (text[at] - '0');
    }
    order += negative ? -exponent : exponent;
    return order <= 0;
}

} // namespace

ColourValue ColourConversion::toColourValue(const PropertyValue &value)
{
    if (const auto *integer = std::get_if<std::int64_t>(&value)) {
        if (*integer < Min || *integer > Max)
            throw RuntimeError::overflow();
        return static_cast<ColourValue>(*integer);
    }
    if (const auto *integer = std::get_if<std::uint64_t>(&value)) {
        if (*integer > std::uint64_t(Max))
            throw RuntimeError::overflow();
        return static_cast<ColourValue>(*integer);
    }
    if (const auto *number = std::get_if<double>(&value))
        return fromDouble(*number);
    if (const auto *text = std::get_if<std::string>(&value))
        return fromText(*text);
    throw RuntimeError::typeMismatch();
}

ColourValue ColourConversion::fromDouble(double value)
{
    // rint rounds half to even under the default rounding mode; NaN fails both tests below.
    const double rounded = std::rint(value);
    if (!(rounded >= double(Min) && rounded <= double(Max)))
        throw RuntimeError::overflow();
    return static_cast<ColourValue>(rounded);
}

ColourValue ColourConversion::fromText(std::string_view text)
{
    text = trimmed(text);

    if (text.size() >= 2 && text[0] == '&' && (text[1] == 'H' || text[1] == 'h')) {
        const std::string_view digits = text.substr(2);
        if (digits.empty())
            throw RuntimeError::typeMismatch();
        std::int64_t value = 0;
        for (const char c : digits) {
            const int digit = hexDigit(c);
            if (digit < 0)
                throw RuntimeError::typeMismatch();
            value = value * 16 + digit;
            if (value > Max)
                throw RuntimeError::overflow();
        }
        return static_cast<ColourValue>(value);
    }

    const std::size_t exponent = exponentOfDecimal(text);
    if (exponent == std::string_view::npos)
        throw RuntimeError::typeMismatch();

    // from_chars reads no locale, so a Dutch decimal comma never sneaks in; it takes no '+'.
    const std::string_view number = text[0] == '+' ? text.substr(1) : text;
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (!belowOne(text, exponent))
            throw RuntimeError::overflow();
        return 0;
    }
    return fromDouble(value);
}
