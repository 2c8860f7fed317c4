#include "qt/overlaypicker.h"
#include "qt/pickeroverlay.h"
#include "qt/qtcolour.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

// Every pixel of the injected screen has a colour of its own, so a colour names its pixel.
QRgb colourOfPixel(int x, int y)
{
    return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) & 0x0F) | ((y >> 8) << 4));
}

ScreenCapture patternedScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen->geometry();
    const qreal scale = screen->devicePixelRatio();
    QImage image(
        qRound(geometry.width() * scale), qRound(geometry.height() * scale), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, colourOfPixel(x, y));
    return { image, geometry };
}

} // namespace

// Runs at QT_SCALE_FACTOR 1 and 2.
class TestOverlayPicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aimAndPick_data();
    void aimAndPick();
    void secondStartDoesNothing();
    void failedCaptureIsRefused();
    void loupeFramesThePixel();

private:
    ScreenCapture m_screen;
};

void TestOverlayPicker::initTestCase()
{
    m_screen = patternedScreen();
}

void TestOverlayPicker::aimAndPick_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QPoint>("step");
    QTest::addColumn<bool>("picks");

    const QPoint farCorner(10000, 10000);
    QTest::newRow("click") << QPoint(100, 50) << "Click" << QPoint() << true;
    QTest::newRow("Return") << QPoint(7, 9) << "Return" << QPoint() << true;
    QTest::newRow("Space") << QPoint(7, 9) << "Space" << QPoint() << true;
    QTest::newRow("arrows") << QPoint(40, 40) << "Right Right Down Return" << QPoint(2, 1) << true;
    QTest::newRow("Shift+arrows") << QPoint(40, 40) << "Shift+Left Shift+Up Up Return"
                                  << QPoint(-10, -11) << true;
    // QTest takes (0, 0) for the widget's centre.
    QTest::newRow("top left edge")
        << QPoint(1, 1) << "Shift+Left Shift+Up Return" << -farCorner << true;
    QTest::newRow("bottom right edge")
        << QPoint(-1, -1) << "Shift+Right Shift+Down Return" << farCorner << true;
    QTest::newRow("arrows then click") << QPoint(60, 30) << "Right Click" << QPoint() << true;
    QTest::newRow("Escape") << QPoint(60, 30) << "Right Escape" << QPoint() << false;
    QTest::newRow("right click") << QPoint(60, 30) << "RightClick" << QPoint() << false;
}

void TestOverlayPicker::aimAndPick()
{
    QFETCH(QPoint, pointer);
    QFETCH(QString, keys);
    QFETCH(QPoint, step);
    QFETCH(bool, picks);

    OverlayPicker picker([this] { return m_screen; });
    QSignalSpy picked(&picker, &ScreenColourPicker::picked);
    QSignalSpy cancelled(&picker, &ScreenColourPicker::cancelled);
    picker.start();
    PickerOverlay *overlay = picker.overlay();
    QVERIFY(overlay);
    QVERIFY(QTest::qWaitForWindowExposed(overlay));

    // A negative pointer counts from the far edge: the outermost pixel of the screen.
    const QSize size = overlay->size();
    if (pointer.x() < 0)
        pointer += QPoint(size.width(), size.height());
    QTest::mouseMove(overlay, pointer);

    for (const QString &key : keys.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (key == QLatin1String("Click")) {
            QTest::mouseClick(overlay, Qt::LeftButton, {}, pointer);
        } else if (key == QLatin1String("RightClick")) {
            QTest::mouseClick(overlay, Qt::RightButton, {}, pointer);
        } else {
            const QKeySequence sequence(key);
            QTest::keyClick(overlay, Qt::Key(sequence[0].key()), sequence[0].keyboardModifiers());
        }
    }

    QTRY_COMPARE(picked.size() + cancelled.size(), 1);
    QVERIFY(!picker.isActive());
    QCOMPARE(picked.size(), picks ? 1 : 0);
    if (!picks)
        return;

    const qreal scale = qreal(m_screen.image.width()) / m_screen.geometry.width();
    // A click aims afresh wherever the arrows left the pixel.
    const QPoint aimed(
        std::clamp(int(std::floor(pointer.x() * scale)) + step.x(), 0, m_screen.image.width() - 1),
        std::clamp(
            int(std::floor(pointer.y() * scale)) + step.y(), 0, m_screen.image.height() - 1));
    QCOMPARE(picked.first().first().value<ColourValue>(),
        colourValue(QColor(colourOfPixel(aimed.x(), aimed.y()))));
}

void TestOverlayPicker::secondStartDoesNothing()
{
    int captures = 0;
    OverlayPicker picker([this, &captures] {
        ++captures;
        return m_screen;
    });
    picker.start();
    PickerOverlay *first = picker.overlay();
    picker.start();
    QCOMPARE(captures, 1);
    QCOMPARE(picker.overlay(), first);
    QTest::keyClick(first, Qt::Key_Escape);
    QVERIFY(!picker.isActive());
}

void TestOverlayPicker::failedCaptureIsRefused()
{
    OverlayPicker picker([] { return ScreenCapture {}; });
    QSignalSpy refused(&picker, &ScreenColourPicker::refused);
    picker.start();
    QCOMPARE(refused.size(), 1);
    QVERIFY(!refused.first().first().toString().isEmpty());
    QVERIFY(!picker.isActive());
    QVERIFY(!picker.overlay());
}

void TestOverlayPicker::loupeFramesThePixel()
{
    OverlayPicker picker([this] { return m_screen; });
    picker.start();
    PickerOverlay *overlay = picker.overlay();
    QVERIFY(QTest::qWaitForWindowExposed(overlay));
    QTest::mouseMove(overlay, QPoint(200, 150));
    const ScreenPoint pixel = overlay->pixel();

    const QRect loupe = overlay->loupeRect();
    QVERIFY(overlay->rect().contains(loupe));
    QVERIFY(!loupe.contains(QPoint(200, 150)));
    const QImage shown = overlay->grab(loupe).toImage();
    const QPoint centre(shown.width() / 2, (loupe.width() / 2) * shown.width() / loupe.width());
    QCOMPARE(QColor(shown.pixel(centre)), QColor(colourOfPixel(pixel.x, pixel.y)));
    QTest::keyClick(overlay, Qt::Key_Escape);
}

QTEST_MAIN(TestOverlayPicker)
#include "tst_overlaypicker.moc"
