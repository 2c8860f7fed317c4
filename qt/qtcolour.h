#pragma once

#include "core/colourvalue.h"
#include "core/propertyvalue.h"

#include <QColor>
#include <QString>

class QVariant;

// Where Qt's types meet the core's: QColor, QVariant and QString.
ColourValue colourValue(const QColor &colour);
QColor toQColor(ColourValue value);
PropertyValue toPropertyValue(const QVariant &value);
QString colourNumberText(ColourValue value);
