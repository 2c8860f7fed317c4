#include "qt/qtcolour.h"

#include "core/colournumber.h"

#include <QVariant>

ColourValue colourValue(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return colourValue(rgb.red(), rgb.green(), rgb.blue());
}

QColor toQColor(ColourValue value)
{
    return QColor(redOf(value), greenOf(value), blueOf(value));
}

PropertyValue toPropertyValue(const QVariant &value)
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
    case QMetaType::LongLong:
        return std::int64_t(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return std::uint64_t(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return value.toString().toStdString();
    default:
        return std::monostate();
    }
}

QString colourNumberText(ColourValue value)
{
    return QString::fromStdString(colourNumber(value));
}
