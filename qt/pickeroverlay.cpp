#include "qt/pickeroverlay.h"

#include "core/colournotation.h"
#include "qt/handlerguard.h"
#include "qt/qtcolour.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int LoupePixels = 11;
constexpr int CellSize = 10;
constexpr int CaptionHeight = 34;
constexpr int LoupeGap = 16;

} // namespace

PickerOverlay::PickerOverlay(ScreenCapture capture, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
            | Qt::X11BypassWindowManagerHint)
    , m_capture(std::move(capture))
{
    // The program ends with its main window, not with this one.
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
    setGeometry(m_capture.geometry);
    if (m_capture.geometry.width() > 0)
        m_scale = qreal(m_capture.image.width()) / m_capture.geometry.width();
}

void PickerOverlay::begin()
{
    m_pixel = pixelAt(QCursor::pos() - m_capture.geometry.topLeft());
    show();
    raise();
    activateWindow();
    grabInput();
}

ColourValue PickerOverlay::colourAt(ScreenPoint pixel) const
{
    return colourValue(QColor(m_capture.image.pixel(pixel.x, pixel.y)));
}

QRect PickerOverlay::loupeRect() const
{
    const int width = LoupePixels * CellSize;
    const int height = width + CaptionHeight;
    const QPointF cursor = logicalCentreOf(m_pixel);
    const ScreenPoint corner = PickGeometry::loupePosition({ int(cursor.x()), int(cursor.y()) },
        width, height, { 0, 0, this->width(), this->height() }, LoupeGap);
    return { corner.x, corner.y, width, height };
}

// A grab of a window not yet mapped fails, so it is taken again once the window is painted.
void PickerOverlay::grabInput()
{
    grabMouse(Qt::CrossCursor);
    grabKeyboard();
    setFocus();
}

void PickerOverlay::paintEvent(QPaintEvent *event)
{
    guarded([this, event] {
        QPainter painter(this);
        const QRect area = event->rect();
        const QRectF source(area.x() * m_scale, area.y() * m_scale, area.width() * m_scale,
            area.height() * m_scale);
        painter.drawImage(QRectF(area), m_capture.image, source);
        paintLoupe(painter);
        if (!m_grabbed) {
            m_grabbed = true;
            QTimer::singleShot(0, this, [this] { guarded([this] { grabInput(); }); });
        }
    });
}

void PickerOverlay::paintLoupe(QPainter &painter) const
{
    const QRect loupe = loupeRect();
    const int half = LoupePixels / 2;
    painter.fillRect(loupe, Qt::black);
    for (int row = 0; row < LoupePixels; ++row) {
        for (int column = 0; column < LoupePixels; ++column) {
            const QPoint pixel(m_pixel.x + column - half, m_pixel.y + row - half);
            const QRect cell(
                loupe.x() + column * CellSize, loupe.y() + row * CellSize, CellSize, CellSize);
            if (m_capture.image.rect().contains(pixel))
                painter.fillRect(cell, QColor(m_capture.image.pixel(pixel)));
            else
                painter.fillRect(cell, Qt::darkGray);
        }
    }
    const QRect centre(
        loupe.x() + half * CellSize, loupe.y() + half * CellSize, CellSize - 1, CellSize - 1);
    painter.setPen(Qt::white);
    painter.drawRect(centre.adjusted(-1, -1, 1, 1));
    painter.setPen(Qt::black);
    painter.drawRect(centre);

    const ColourValue value = colourAt(m_pixel);
    const QString caption = QString::fromStdString(
        formatColour(value, Notation::Number) + '\n' + formatColour(value, Notation::Html));
    painter.setPen(Qt::white);
    painter.drawText(
        QRect(loupe.x(), loupe.y() + LoupePixels * CellSize, loupe.width(), CaptionHeight),
        Qt::AlignCenter, caption);
    painter.setPen(Qt::gray);
    painter.drawRect(loupe.adjusted(0, 0, -1, -1));
}

void PickerOverlay::mouseMoveEvent(QMouseEvent *event)
{
    guarded([this, event] {
        event->accept();
        // The move that our own QCursor::setPos causes would round away the exact pixel.
        if (event->globalPosition().toPoint() == m_cursorSetTo)
            return;
        m_cursorSetTo = { -1000000, -1000000 };
        moveTo(pixelAt(event->position()));
    });
}

void PickerOverlay::mousePressEvent(QMouseEvent *event)
{
    guarded([this, event] {
        event->accept();
        m_pressed = event->button();
        if (m_pressed == Qt::LeftButton)
            moveTo(pixelAt(event->position()));
    });
}

// The pick waits for the release, so that neither half of the click reaches the window below.
void PickerOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    guarded([this, event] {
        event->accept();
        if (event->button() != m_pressed)
            return;
        m_pressed = Qt::NoButton;
        if (event->button() == Qt::LeftButton)
            emit picked(colourAt(m_pixel));
        else if (event->button() == Qt::RightButton)
            emit cancelled();
    });
}

void PickerOverlay::keyPressEvent(QKeyEvent *event)
{
    guarded([this, event] {
        event->accept();
        const int distance = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
        switch (event->key()) {
        case Qt::Key_Left:
            return step(-distance, 0);
        case Qt::Key_Right:
            return step(distance, 0);
        case Qt::Key_Up:
            return step(0, -distance);
        case Qt::Key_Down:
            return step(0, distance);
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (!event->isAutoRepeat())
                emit picked(colourAt(m_pixel));
            return;
        case Qt::Key_Escape:
            emit cancelled();
            return;
        default:
            return;
        }
    });
}

void PickerOverlay::moveTo(ScreenPoint pixel)
{
    if (pixel == m_pixel)
        return;
    const QRect before = loupeRect();
    m_pixel = pixel;
    update(before | loupeRect());
}

void PickerOverlay::step(int dx, int dy)
{
    const QImage &image = m_capture.image;
    moveTo(PickGeometry::moved(m_pixel, dx, dy, { 0, 0, image.width(), image.height() }));
    m_cursorSetTo = (logicalCentreOf(m_pixel) + m_capture.geometry.topLeft()).toPoint();
    QCursor::setPos(m_cursorSetTo);
}

ScreenPoint PickerOverlay::pixelAt(QPointF position) const
{
    return PickGeometry::devicePixelAt(
        position.x(), position.y(), m_scale, m_capture.image.width(), m_capture.image.height());
}

QPointF PickerOverlay::logicalCentreOf(ScreenPoint pixel) const
{
    return { (pixel.x + 0.5) / m_scale, (pixel.y + 0.5) / m_scale };
}
