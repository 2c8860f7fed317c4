#include "qt/recentmenu.h"

#include "core/colournotation.h"
#include "core/recentstore.h"
#include "qt/handlerguard.h"
#include "qt/qtcolour.h"

#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace {

// Framed, so that white and the menu's own colour still show as a swatch.
QIcon swatchIcon(ColourValue value, int size, qreal ratio)
{
    QPixmap pixmap(QSize(size, size) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(toQColor(value));
    QPainter painter(&pixmap);
    painter.setPen(Qt::darkGray);
    painter.drawRect(QRectF(0.5, 0.5, size - 1, size - 1));
    return QIcon(pixmap);
}

} // namespace

RecentMenu::RecentMenu(RecentStore &store, QWidget *parent)
    : QMenu(QStringLiteral("Recente kleuren"), parent)
{
    setObjectName(QStringLiteral("mnuRecenteKleuren"));
    const int iconSize = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    const RecentColours list = store.colours();
    for (const ColourValue value : list.colours()) {
        const QString text = QStringLiteral("%1 (%2)").arg(
            QString::fromStdString(formatColour(value, Notation::Number)),
            QString::fromStdString(formatColour(value, Notation::Html)));
        QAction *item = addAction(swatchIcon(value, iconSize, devicePixelRatioF()), text);
        connect(item, &QAction::triggered, this, [this, value] { emit chosen(value); });
    }
    if (list.empty())
        addAction(QStringLiteral("Geen recente kleuren"))->setEnabled(false);
    addSeparator();
    QAction *clear = addAction(QStringLiteral("Lijst wissen"));
    clear->setEnabled(!list.empty());
    connect(clear, &QAction::triggered, this, [&store] { guarded([&store] { store.clear(); }); });
}
