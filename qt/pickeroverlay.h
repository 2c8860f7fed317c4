#pragma once

#include "core/colourvalue.h"
#include "core/pickgeometry.h"
#include "qt/screencapture.h"

#include <QWidget>

// The frozen screen in a borderless window over all of it, with a loupe on the pixel under
// the cursor. Takes the pointer and the keyboard for as long as it is shown.
class PickerOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit PickerOverlay(ScreenCapture capture, QWidget *parent = nullptr);

    void begin();
    // The device pixel the loupe frames, from the capture's top left.
    ScreenPoint pixel() const { return m_pixel; }
    ColourValue colourAt(ScreenPoint pixel) const;
    QRect loupeRect() const;

signals:
    void picked(ColourValue value);
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void grabInput();
    void moveTo(ScreenPoint pixel);
    void step(int dx, int dy);
    ScreenPoint pixelAt(QPointF position) const;
    QPointF logicalCentreOf(ScreenPoint pixel) const;
    void paintLoupe(QPainter &painter) const;

    ScreenCapture m_capture;
    qreal m_scale = 1;
    ScreenPoint m_pixel;
    QPoint m_cursorSetTo { -1000000, -1000000 };
    Qt::MouseButton m_pressed = Qt::NoButton;
    bool m_grabbed = false;
};
