#include "qt/swatch.h"

#include "core/colournotation.h"
#include "qt/qtcolour.h"

#include <QAccessibleWidget>
#include <QPainter>

namespace {

// A plain frame would be announced as "frame", the role of a top-level window.
QAccessibleInterface *accessibleSwatch(const QString &, QObject *object)
{
    auto *swatch = qobject_cast<Swatch *>(object);
    return swatch ? new QAccessibleWidget(swatch, QAccessible::Graphic) : nullptr;
}

QString description(ColourValue value)
{
    return QString::fromStdString(componentsText(value));
}

} // namespace

Swatch::Swatch(QWidget *parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAttribute(Qt::WA_OpaquePaintEvent);
    [[maybe_unused]] static const bool installed
        = (QAccessible::installFactory(&accessibleSwatch), true);
    setAccessibleDescription(description(m_backColor.value()));
}

void Swatch::setBackColor(ColourValue value)
{
    if (!m_backColor.set(value))
        return;
    setAccessibleDescription(description(value));
    update();
}

void Swatch::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.fillRect(rect(), toQColor(m_backColor.value()));
    }
    QFrame::paintEvent(event);
}
