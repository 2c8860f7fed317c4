#include "core/pickgeometry.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(ScreenPoint)
Q_DECLARE_METATYPE(ScreenRect)

namespace QTest {
template<> char *toString(const ScreenPoint &point)
{
    return qstrdup(qPrintable(QStringLiteral("(%1, %2)").arg(point.x).arg(point.y)));
}
} // namespace QTest

class TestPickGeometry : public QObject
{
    Q_OBJECT

private slots:
    void componentFromUnit();
    void loupePosition_data();
    void loupePosition();
};

void TestPickGeometry::componentFromUnit()
{
    // Every value a portal that reads 8-bit pixels can give comes back as its own pixel.
    for (int k = 0; k <= 255; ++k)
        QCOMPARE(PickGeometry::componentFromUnit(k / 255.0), k);

    const struct
    {
        double value;
        std::optional<int> expected;
    } rows[] = {
        { 0.5, 128 }, // 127.5, half away from zero
        { 0.499, 127 },
        { 1.0 / 510, 1 }, // 0.5: halfway between 0 and 1
        { 0.7 / 255, 1 },
        { 0.3 / 255, 0 },
        { -0.25, 0 },
        { 1.5, 255 },
        { -std::numeric_limits<double>::infinity(), 0 },
        { std::numeric_limits<double>::infinity(), 255 },
        { std::nan(""), std::nullopt },
    };
    for (const auto &row : rows)
        QCOMPARE(PickGeometry::componentFromUnit(row.value), row.expected);

    QCOMPARE(PickGeometry::colourFromUnits(18 / 255.0, 52 / 255.0, 86 / 255.0), 5649426);
    QCOMPARE(PickGeometry::colourFromUnits(1, 0, std::nan("")), std::nullopt);
}

void TestPickGeometry::loupePosition_data()
{
    QTest::addColumn<ScreenPoint>("cursor");
    QTest::addColumn<ScreenRect>("screen");
    QTest::addColumn<ScreenPoint>("expected");

    // A 100 × 80 loupe, 10 pixels from the cursor.
    const ScreenRect screen { 0, 0, 1280, 1024 };
    QTest::newRow("middle: below right")
        << ScreenPoint { 640, 512 } << screen << ScreenPoint { 650, 522 };
    QTest::newRow("top left corner") << ScreenPoint { 0, 0 } << screen << ScreenPoint { 10, 10 };
    QTest::newRow("bottom right corner: above left")
        << ScreenPoint { 1279, 1023 } << screen << ScreenPoint { 1169, 933 };
    QTest::newRow("right edge only")
        << ScreenPoint { 1250, 10 } << screen << ScreenPoint { 1140, 20 };
    QTest::newRow("last column that fits")
        << ScreenPoint { 1170, 10 } << screen << ScreenPoint { 1180, 20 };

    // A monitor left of and above the primary one.
    const ScreenRect negative { -1920, -200, 3200, 1224 };
    QTest::newRow("negative origin, its corner")
        << ScreenPoint { -1920, -200 } << negative << ScreenPoint { -1910, -190 };
    QTest::newRow("negative origin, far corner")
        << ScreenPoint { 1279, 1023 } << negative << ScreenPoint { 1169, 933 };

    // Too narrow for the loupe on either side of the cursor: clamped inside.
    QTest::newRow("narrow screen")
        << ScreenPoint { 60, 40 } << ScreenRect { 0, 0, 150, 120 } << ScreenPoint { 0, 0 };
    QTest::newRow("one pixel") << ScreenPoint { 5, 7 } << ScreenRect { 5, 7, 1, 1 }
                               << ScreenPoint { 5, 7 };
}

void TestPickGeometry::loupePosition()
{
    QFETCH(ScreenPoint, cursor);
    QFETCH(ScreenRect, screen);
    QFETCH(ScreenPoint, expected);
    const ScreenPoint at = PickGeometry::loupePosition(cursor, 100, 80, screen, 10);
    QCOMPARE(at, expected);
    if (screen.width >= 100 && screen.height >= 80) {
        QVERIFY(screen.contains(at));
        QVERIFY(screen.contains({ at.x + 99, at.y + 79 }));
    }
}


QTEST_APPLESS_MAIN(TestPickGeometry)
#include "tst_pickgeometry.moc"
