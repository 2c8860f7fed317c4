#include "app/runtimeerror.h"
#include "colour/colourconversion.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// A value, or the number of the error raised instead.
struct Outcome
{
    bool converted = false;
    int value = 0;

    bool operator==(const Outcome &) const = default;
};

Outcome convert(const QVariant &input)
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

void check(const QVariant &input, const QVariant &sameAsText = {})
{
    const Outcome first = convert(input);
    if (!(convert(input) == first))
        std::abort();
    // A number must convert as its own text does: the two paths share no parsing.
    if (sameAsText.isValid() && !(convert(sameAsText) == first))
        std::abort();
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
        check(QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)));
        break;
    case 1: {
        const double number = bytesAs<double>(data, size);
        check(number, std::isfinite(number) ? QString::number(number, 'g', 17) : QVariant());
        break;
    }
    case 2: {
        const qlonglong number = bytesAs<qlonglong>(data, size);
        check(number, QString::number(number));
        break;
    }
    }
    return 0;
}
