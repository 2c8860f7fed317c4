#pragma once

#include "core/colourvalue.h"
#include "core/runtimeerror.h"

// A control's colour property: it gives back exactly what was last set, and refuses what is
// no colour.
class ColourProperty
{
public:
    explicit ColourProperty(ColourValue value)
        : m_value(value)
    { }

    ColourValue value() const { return m_value; }

    // Throws RuntimeError (Invalid property value) for what is no colour; false when the
    // property already held the value, so that nothing needs drawing again.
    bool set(ColourValue value)
    {
        if (!isColour(value))
            throw RuntimeError::invalidPropertyValue();
        if (value == m_value)
            return false;
        m_value = value;
        return true;
    }

private:
    ColourValue m_value = White;
};
