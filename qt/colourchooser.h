#pragma once

#include <QVariant>

// The colour chooser the window owns: a modal dialog and the colour last confirmed in it.
class ColourChooser
{
public:
    virtual ~ColourChooser() = default;

    // Opens the dialog modally; true when the user confirmed a colour, false on cancel.
    virtual bool ShowColor() = 0;
    // The current colour, 0 (black) until the user confirms one.
    virtual QVariant Color() const = 0;
};
