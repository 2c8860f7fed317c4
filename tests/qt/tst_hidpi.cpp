#include "qt/kleurtjeswindow.h"

#include <QLabel>
#include <QTest>

namespace {

// Where the label's text was painted, in device pixels.
QRect inkOf(QLabel *label)
{
    const QImage image = label->grab().toImage();
    const QRgb background = image.pixel(0, 0);
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != background)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

} // namespace

// Runs with QT_SCALE_FACTOR=2.
class TestHiDpi : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void deviceSize();
    void widgetsDoNotOverlap();
    void numberScalesAndFitsOnOneLine();

private:
    KleurtjesWindow m_window;
};

void TestHiDpi::initTestCase()
{
    m_window.load();
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    QCOMPARE(m_window.devicePixelRatio(), 2.0);
}

void TestHiDpi::deviceSize()
{
    QCOMPARE(m_window.grab().size(), QSize(628, 496));
}

void TestHiDpi::widgetsDoNotOverlap()
{
    const QList<QWidget *> widgets = m_window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(widgets.size(), 4);
    for (const QWidget *widget : widgets) {
        QVERIFY2(m_window.rect().contains(widget->geometry()), qPrintable(widget->objectName()));
        for (const QWidget *other : widgets)
            QVERIFY2(widget == other || !widget->geometry().intersects(other->geometry()),
                qPrintable(widget->objectName() + QLatin1Char('/') + other->objectName()));
    }
}

void TestHiDpi::numberScalesAndFitsOnOneLine()
{
    auto *label = m_window.findChild<QLabel *>(QStringLiteral("lblNummer"));
    QCOMPARE(label->text(), QStringLiteral("16777215"));
    QVERIFY(label->sizeHint().width() <= label->width());
    QVERIFY(label->sizeHint().height() <= label->height());

    // Drawn at twice the logical size, within the label and on a single line.
    const QRect ink = inkOf(label);
    const QRect expected = label->fontMetrics().tightBoundingRect(label->text());
    const qreal ratio = m_window.devicePixelRatio();
    QVERIFY2(qAbs(ink.height() - expected.height() * ratio) <= 2 * ratio,
        qPrintable(QStringLiteral("ink %1 high").arg(ink.height())));
    QVERIFY2(qAbs(ink.width() - expected.width() * ratio) <= 2 * ratio,
        qPrintable(QStringLiteral("ink %1 wide").arg(ink.width())));
    QVERIFY(ink.right() < label->width() * ratio - 1);
    QVERIFY(ink.bottom() < label->height() * ratio - 1);
}

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
