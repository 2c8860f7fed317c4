#include "qt/reasontip.h"

#include "qt/handlerguard.h"

#include <QAccessible>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QToolTip>

ReasonTip::ReasonTip(QWidget *parent)
    : QLabel(parent, Qt::ToolTip | Qt::BypassGraphicsProxyWidget)
{
    setObjectName(QStringLiteral("reasonTip"));
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setMargin(1 + style()->pixelMetric(QStyle::PM_ToolTipLabelFrameWidth, nullptr, this));
    setTextFormat(Qt::PlainText);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { guarded([this] { hide(); }); });
}

void ReasonTip::showBelow(QWidget *anchor, const QString &text, int shownMs)
{
    setText(text);
    adjustSize();
    move(anchor->mapToGlobal(anchor->rect().bottomLeft()));
    show();
    raise();
    m_timer.start(shownMs);
}

void ReasonTip::paintEvent(QPaintEvent *event)
{
    {
        QStylePainter painter(this);
        QStyleOptionFrame option;
        option.initFrom(this);
        painter.drawPrimitive(QStyle::PE_PanelTipLabel, option);
    }
    QLabel::paintEvent(event);
}

// Qt tells screen readers of no tooltip window that appears, and this one is no tooltip.
void ReasonTip::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    guarded([this] {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    });
}
