#include "qt/swatch.h"

#include "core/runtimeerror.h"
#include "qt/qtcolour.h"

#include <QPainter>

Swatch::Swatch(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void Swatch::setBackColor(ColourValue value)
{
    if (!isColour(value))
        throw RuntimeError::invalidPropertyValue();
    if (value == m_backColor)
        return;
    m_backColor = value;
    update();
}

void Swatch::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), toQColor(m_backColor));
    }
    QFrame::paintEvent(event);
}
