#include "colour/colourconversion.h"

#include "app/runtimeerror.h"

#include <QRegularExpression>
#include <QVariant>

#include <cmath>
#include <limits>

ColourValue ColourConversion::toColourValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong: {
        const qlonglong integer = value.toLongLong();
        if (integer < std::numeric_limits<ColourValue>::min()
            || integer > std::numeric_limits<ColourValue>::max())
            throw RuntimeError::overflow();
        return static_cast<ColourValue>(integer);
    }
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong integer = value.toULongLong();
        if (integer > qulonglong(std::numeric_limits<ColourValue>::max()))
            throw RuntimeError::overflow();
        return static_cast<ColourValue>(integer);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return fromDouble(value.toDouble());
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return fromText(value.toString());
    default:
        throw RuntimeError::typeMismatch();
    }
}

ColourValue ColourConversion::fromDouble(double value)
{
    // rint rounds half to even under the default rounding mode; NaN fails both tests below.
    const double rounded = std::rint(value);
    if (!(rounded >= std::numeric_limits<ColourValue>::min()
            && rounded <= std::numeric_limits<ColourValue>::max()))
        throw RuntimeError::overflow();
    return static_cast<ColourValue>(rounded);
}

ColourValue ColourConversion::fromText(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^&[Hh]([0-9A-Fa-f]+)$"));
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([Ee][+-]?[0-9]+)?$"));

    const QString trimmed = text.trimmed();
    if (const auto match = hex.match(trimmed); match.hasMatch()) {
        bool ok = false;
        const qulonglong integer = match.captured(1).toULongLong(&ok, 16);
        if (!ok || integer > qulonglong(std::numeric_limits<ColourValue>::max()))
            throw RuntimeError::overflow();
        return static_cast<ColourValue>(integer);
    }
    if (!decimal.match(trimmed).hasMatch())
        throw RuntimeError::typeMismatch();

    // toDouble on QString always reads the C locale, so a Dutch comma never sneaks in.
    // A number too large for a double comes back as infinity (ok is false), which overflows.
    return fromDouble(trimmed.toDouble());
}
