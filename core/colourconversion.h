#pragma once

#include "core/colourvalue.h"
#include "core/propertyvalue.h"

#include <string_view>

// Turns what a control property yields into a ColourValue, the way the runtime's
// standard numeric conversion does: integers pass, fractions round half to even,
// texts are read as numbers. Throws RuntimeError (Type mismatch, Overflow).
class ColourConversion
{
public:
    static ColourValue toColourValue(const PropertyValue &value);

private:
    static ColourValue fromDouble(double value);
    static ColourValue fromText(std::string_view text);
};
