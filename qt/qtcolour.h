#pragma once

#include "core/colourparser.h"
#include "core/colourvalue.h"
#include "core/propertyvalue.h"

#include <QColor>
#include <QString>

class QMimeData;
class QVariant;

// Where Qt's types meet the core's: QColor, QVariant and QString.
ColourValue colourValue(const QColor &colour);
QColor toQColor(ColourValue value);
PropertyValue toPropertyValue(const QVariant &value);
QString colourNumberText(ColourValue value);

// What a clipboard or a drag holds, read as a colour: a colour as application/x-color, which
// colour pickers offer, or else a text. Of a long text only the start is looked at.
ColourParser::Result colourOf(const QMimeData *data);
