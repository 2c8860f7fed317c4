#pragma once

#include "colour/colourvalue.h"

class QString;
class QVariant;

// Turns what a control property yields into a ColourValue, the way the runtime's
// standard numeric conversion does: integers pass, fractions round half to even,
// texts are read as numbers. Throws RuntimeError (Type mismatch, Overflow).
class ColourConversion
{
public:
    static ColourValue toColourValue(const QVariant &value);

private:
    static ColourValue fromDouble(double value);
    static ColourValue fromText(const QString &text);
};
