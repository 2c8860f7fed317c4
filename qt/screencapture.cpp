#include "qt/screencapture.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

ScreenCapture ScreenCapture::ofAllScreens()
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return {};
    const QRect virtualGeometry = screens.first()->virtualGeometry();
    // One screen needs no composing, and copying it would double the memory at its peak.
    if (screens.size() == 1) {
        QImage image = screens.first()->grabWindow(0).toImage();
        image.setDevicePixelRatio(1);
        return { image, virtualGeometry };
    }
    qreal scale = 1;
    for (const QScreen *screen : screens)
        scale = std::max(scale, screen->devicePixelRatio());

    QImage image(qRound(virtualGeometry.width() * scale), qRound(virtualGeometry.height() * scale),
        QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::black);
    QPainter painter(&image);
    for (QScreen *screen : screens) {
        QPixmap shot = screen->grabWindow(0);
        if (shot.isNull())
            return {};
        shot.setDevicePixelRatio(1);
        const QPoint offset = screen->geometry().topLeft() - virtualGeometry.topLeft();
        painter.drawPixmap(qRound(offset.x() * scale), qRound(offset.y() * scale), shot);
    }
    painter.end();
    return { image, virtualGeometry };
}
