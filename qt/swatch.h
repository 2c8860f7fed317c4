#pragma once

#include "core/colourproperty.h"

#include <QFrame>

// The colour swatch: a sunken panel that shows its background colour and nothing else.
class Swatch : public QFrame
{
    Q_OBJECT

public:
    explicit Swatch(QWidget *parent = nullptr);

    ColourValue backColor() const { return m_backColor.value(); }
    // Throws RuntimeError (Invalid property value) for anything that is not a colour.
    void setBackColor(ColourValue value);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColourProperty m_backColor { White };
};
