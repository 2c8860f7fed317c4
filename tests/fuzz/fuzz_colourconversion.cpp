#include "core/colourconversion.h"
#include "core/runtimeerror.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A value, or the number of the error raised instead.
struct Outcome
{
    bool converted = false;
    int value = 0;

    bool operator==(const Outcome &) const = default;
};

Outcome convert(const PropertyValue &input)
{
    try {
        return { true, ColourConversion::toColourValue(input) };
    } catch (const RuntimeError &error) {
        if (error.number() != RuntimeError::TypeMismatch
            && error.number() != RuntimeError::Overflow)
            std::abort();
        return { false, error.number() };
    }
}

template<typename T> T bytesAs(const std::uint8_t *data, std::size_t size)
{
    T value {};
    std::memcpy(&value, data, std::min(size, sizeof value));
    return value;
}

void check(const PropertyValue &input, const PropertyValue &sameAsText = {})
{
    const Outcome first = convert(input);
    if (!(convert(input) == first))
        std::abort();
    // A number must convert as its own text does: the two paths share no parsing.
    if (!std::holds_alternative<std::monostate>(sameAsText) && !(convert(sameAsText) == first))
        std::abort();
}

// The shortest text that reads back as the same double.
std::string shortest(double number)
{
    char text[64];
    return { text, std::to_chars(text, text + sizeof text, number).ptr };
}

} // namespace

// The first byte picks the kind of input; the rest is its text or its bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t kind = data[0] % 3;
    ++data;
    --size;

    switch (kind) {
    case 0:
        check(std::string(reinterpret_cast<const char *>(data), size));
        break;
    case 1: {
        const double number = bytesAs<double>(data, size);
        check(number, std::isfinite(number) ? shortest(number) : PropertyValue());
        break;
    }
    case 2: {
        const auto number = bytesAs<std::int64_t>(data, size);
        check(number, std::to_string(number));
        break;
    }
    }
    return 0;
}
