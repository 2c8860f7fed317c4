#pragma once

#include "colour/colourvalue.h"

#include <QString>

// The colour number: a ColourValue in plain decimal digits, the same under every locale.
inline QString colourNumber(ColourValue value)
{
    return QString::number(value);
}
