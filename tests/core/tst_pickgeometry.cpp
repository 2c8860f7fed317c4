#include "core/monitorlayout.h"
#include "core/pickgeometry.h"
#include "core/picksession.h"

#include <QTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(ScreenPoint)
Q_DECLARE_METATYPE(ScreenRect)
Q_DECLARE_METATYPE(std::vector<ScreenRect>)

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
    void monitors_data();
    void monitors();
    void raising();
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

void TestPickGeometry::monitors_data()
{
    QTest::addColumn<std::vector<ScreenRect>>("monitors");
    // "@x,y" starts there; Left, Right, Up, Down step, "Shift+" by ten.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<ScreenPoint>("expected");
    // The top left of a 100 × 80 loupe, 10 pixels from the pixel reached.
    QTest::addColumn<ScreenPoint>("loupe");

    // On a screen of 3200 × 1440: a laptop beside a taller monitor, which leaves 1920 × 360
    // below the laptop on no monitor.
    const std::vector<ScreenRect> side { { 0, 0, 1920, 1080 }, { 1920, 0, 1280, 1440 } };
    QTest::newRow("below it, on no monitor: its nearest pixel")
        << side << "@1000,1300" << ScreenPoint { 1000, 1079 } << ScreenPoint { 1010, 989 };
    QTest::newRow("down to its last row, then off its corner: stays, the loupe flipped")
        << side << "@1919,1060 Shift+Down Shift+Down Down" << ScreenPoint { 1919, 1079 }
        << ScreenPoint { 1809, 989 };
    QTest::newRow("across where they touch, down the tall one, left off it: stays")
        << side << "@1915,1075 Shift+Right Shift+Down Shift+Left" << ScreenPoint { 1920, 1085 }
        << ScreenPoint { 1930, 1095 };
    // Too small for the loupe: it goes whole on the nearest monitor, beside the pointer.
    QTest::newRow("a monitor lower than the loupe: the loupe beside it")
        << std::vector<ScreenRect> { { 0, 0, 320, 60 }, { 320, 0, 2880, 1440 } } << "@100,30"
        << ScreenPoint { 100, 30 } << ScreenPoint { 320, 40 };
    QTest::newRow("a monitor one pixel wide")
        << std::vector<ScreenRect> { { 0, 0, 1, 1440 }, { 1, 0, 3199, 1440 } } << "@0,1439"
        << ScreenPoint { 0, 1439 } << ScreenPoint { 10, 1349 };
    std::vector<ScreenRect> spanned = side;
    spanned.insert(spanned.begin(), { 0, 0, 3200, 1440 });
    QTest::newRow("a monitor over both besides: the loupe on the smaller one")
        << spanned << "@500,1079" << ScreenPoint { 500, 1079 } << ScreenPoint { 510, 989 };
    QTest::newRow("corner to corner only: no way over")
        << std::vector<ScreenRect> { { 0, 0, 1000, 1000 }, { 1000, 1000, 500, 400 } }
        << "@999,999 Right Down" << ScreenPoint { 999, 999 } << ScreenPoint { 889, 909 };
    // Reported past the screen, as after a smaller framebuffer: only what lies on it counts.
    QTest::newRow("monitors clipped to the screen")
        << std::vector<ScreenRect> { { -100, -100, 400, 300 }, { 300, 0, 5000, 5000 } }
        << "@3199,1439 Right Down" << ScreenPoint { 3199, 1439 } << ScreenPoint { 3089, 1349 };
    QTest::newRow("none with area: the whole screen")
        << std::vector<ScreenRect> { { 0, 0, 0, 1080 }, { 4000, 0, 100, 100 } } << "@1919,1079 Down"
        << ScreenPoint { 1919, 1080 } << ScreenPoint { 1929, 1090 };
}

void TestPickGeometry::monitors()
{
    QFETCH(std::vector<ScreenRect>, monitors);
    QFETCH(QString, steps);
    QFETCH(ScreenPoint, expected);
    QFETCH(ScreenPoint, loupe);

    const ScreenRect screen { 0, 0, 3200, 1440 };
    const MonitorLayout layout(screen, monitors);
    const QStringList words = steps.split(u' ');
    const QStringList xy = words.first().mid(1).split(u',');
    const QHash<QString, PickInput> keys { { "Left", PickInput::Left },
        { "Right", PickInput::Right }, { "Up", PickInput::Up }, { "Down", PickInput::Down } };
    PickSession session(layout, { xy[0].toInt(), xy[1].toInt() });
    for (QString word : words.mid(1)) {
        const bool shift = word.startsWith(QLatin1String("Shift+"));
        session.handle(
            PickEvent { keys.value(word.remove(QLatin1String("Shift+"))), true, {}, shift });
        // Every pixel framed on the way lies on a monitor.
        QCOMPARE(layout.nearest(session.pixel()), session.pixel());
    }
    QCOMPARE(session.pixel(), expected);
    QCOMPARE(layout.loupePosition(session.pixel(), 100, 80, 10), loupe);
}

void TestPickGeometry::raising()
{
    // A window that covers the frozen screen again the moment it rises: raised at once after a
    // quiet spell, then a gap after each raise, and one raise for all that came meanwhile.
    using std::chrono::milliseconds;
    PickSession session(MonitorLayout({ 0, 0, 100, 100 }), { 0, 0 });
    std::vector<milliseconds> raises { session.raiseAt(milliseconds(1000)) };
    while (raises.size() < 100 && raises.back() < milliseconds(2000))
        raises.push_back(session.raiseAt(raises.back()));
    QCOMPARE(raises.size(), std::size_t(11)); // ten a second
    QCOMPARE(session.raiseAt(milliseconds(1950)).count(), 2000);
    QCOMPARE(session.raiseAt(milliseconds(5000)).count(), 5000);
}

QTEST_APPLESS_MAIN(TestPickGeometry)
#include "tst_pickgeometry.moc"
