#include "qt/pick/x11picker.h"
#include "qt/qtcolour.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

const ScreenRect Screen { 0, 0, 1280, 1024 };

// Every device pixel has a colour of its own, so a colour names its pixel.
QRgb colourOfPixel(int x, int y)
{
    return qRgb(x & 0xFF, y & 0xFF, ((x >> 8) & 0x0F) | ((y >> 8) << 4));
}

// What the picker did to its screen, kept past the screen's end with the pick.
struct Seen
{
    int opened = 0;
    std::vector<ScreenRect> monitors;
    ScreenPoint pointer { 640, 512 };
    std::vector<PickInput> held;
    QImage loupe;
    ScreenPoint loupeAt;
    bool readOutside = false;
};

// Stands in for the X server, which gives every position in device pixels.
class FakeScreen : public FrozenScreen
{
public:
    FakeScreen(Seen &seen, double scale, bool grabs)
        : m_seen(seen)
        , m_scale(scale)
        , m_grabs(grabs)
    { }

    ScreenRect rect() const override { return Screen; }
    std::vector<ScreenRect> monitors() const override { return m_seen.monitors; }
    ScreenPoint pointer() const override { return m_seen.pointer; }
    std::vector<PickInput> held() const override { return m_seen.held; }
    double scale() const override { return m_scale; }
    QImage pixels(const ScreenRect &area) const override
    {
        m_seen.readOutside |= !Screen.contains({ area.x, area.y })
            || !Screen.contains({ area.right(), area.bottom() });
        QImage image(area.width, area.height, QImage::Format_RGB32);
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                image.setPixel(x, y, colourOfPixel(area.x + x, area.y + y));
        return image;
    }
    void showLoupe(ScreenPoint at, const QImage &loupe) override
    {
        m_seen.loupeAt = at;
        m_seen.loupe = loupe;
    }
    void warpPointer(ScreenPoint to) override { m_seen.pointer = to; }
    Grab grab() override { return { m_grabs, !m_seen.held.empty(), m_seen.held }; }
    void raise() override { }

private:
    Seen &m_seen;
    double m_scale;
    bool m_grabs;
};

} // namespace

class TestX11Picker : public QObject
{
    Q_OBJECT

private slots:
    void pick_data();
    void pick();
};

void TestX11Picker::pick_data()
{
    QTest::addColumn<double>("scale");
    // "@x,y" moves the pointer; a click or a key is pressed and released, "Key+" only pressed,
    // "Key-" only released. Before the start: "monitor:x,y,w,h" is one, "held:Key" was down.
    // "taken": another program took the window; "resized": the screen changed its size.
    QTest::addColumn<QString>("steps");
    // "x,y" of the pixel picked, or "cancelled" or "refused".
    QTest::addColumn<QString>("outcome");

    const QList<std::array<const char *, 3>> rows = {
        { "top left", "@0,0 click", "0,0" },
        { "bottom right", "@1279,1023 Return", "1279,1023" },
        { "top right, Space", "@1279,0 Space", "1279,0" },
        { "bottom left, keypad", "@0,1023 Enter", "0,1023" },
        { "odd pixel", "@1001,801 click", "1001,801" },
        { "odd pixel, Return, second start", "@1001,801 start Return", "1001,801" },
        { "edge step", "@1278,1022 Right Right Down Down Return", "1279,1023" },
        { "Shift step at the edge", "@3,15 Shift+Left Shift+Up Return", "0,5" },
        { "arrow then click", "@500,400 Right Down Down click", "501,402" },
        { "held Return", "@7,9 Return+ Return+ Right Return+ Return-", "8,9" },
        { "Return up unseen, then Escape", "@7,9 Return- Escape", "cancelled" },
        { "right click", "@60,30 Right rightclick", "cancelled" },
        { "grab refused", "nograb", "refused" },
        // Keys down before the pick do nothing until pressed anew; other keys act at once.
        { "keys held at the start",
            "@7,9 held:Return held:Right Return+ Return+ Right+ Down Return- Right- Right Return",
            "8,10" },
        { "window taken", "@7,9 Right taken Return", "refused" },
        { "screen resized", "@7,9 resized Return", "cancelled" },
        { "screen unreadable", "noscreen", "refused" },
        // Beside a taller one, a short monitor leaves pixels below it that none shows.
        { "down off the short monitor's corner",
            "monitor:0,0,800,600 monitor:800,0,480,1024 @799,599 Down Return", "799,599" },
    };
    for (const double scale : { 1.0, 1.5, 2.0, 3.0 })
        for (const auto &[name, steps, outcome] : rows)
            QTest::addRow("%s at %g", name, scale) << scale << steps << outcome;
    // Waited for while a key is down, but not for ever: once, as it takes seconds.
    QTest::addRow("grab refused, a key down for good") << 1.0 << "nograb held:Return"
                                                       << "refused";
}

void TestX11Picker::pick()
{
    QFETCH(double, scale);
    QFETCH(QString, steps);
    QFETCH(QString, outcome);

    Seen seen;
    X11Picker picker([&](FrozenScreen::Sink, QString &) -> std::unique_ptr<FrozenScreen> {
        ++seen.opened;
        if (steps == QLatin1String("noscreen"))
            return nullptr;
        return std::make_unique<FakeScreen>(
            seen, scale, !steps.startsWith(QLatin1String("nograb")));
    });
    QSignalSpy picked(&picker, &ScreenColourPicker::picked);
    QSignalSpy cancelled(&picker, &ScreenColourPicker::cancelled);
    QSignalSpy refused(&picker, &ScreenColourPicker::refused);
    const QHash<QString, PickInput> keys { { "Return", PickInput::PickKey },
        { "Space", PickInput::PickKey }, { "Enter", PickInput::PickKey },
        { "Escape", PickInput::CancelKey }, { "Left", PickInput::Left },
        { "Right", PickInput::Right }, { "Up", PickInput::Up }, { "Down", PickInput::Down },
        { "click", PickInput::AimButton }, { "rightclick", PickInput::CancelButton } };
    for (const QString &step : steps.split(u' ')) {
        const QStringList numbers = step.section(u':', 1).split(u',');
        if (step.startsWith(QLatin1String("monitor:")))
            seen.monitors.push_back(
                { numbers[0].toInt(), numbers[1].toInt(), numbers[2].toInt(), numbers[3].toInt() });
        else if (step.startsWith(QLatin1String("held:")))
            seen.held.push_back(keys[step.section(u':', 1)]);
    }
    picker.start();

    const auto send = [&](PickInput input, bool pressed, bool shift = false) {
        picker.handle({ input, pressed, seen.pointer, shift });
    };
    for (QString step : steps.split(u' ')) {
        if (step.startsWith(u'@')) {
            const QStringList xy = step.mid(1).split(u',');
            seen.pointer = { xy[0].toInt(), xy[1].toInt() };
            send(PickInput::Pointer, true);
        } else if (step == QLatin1String("start")) {
            picker.start();
        } else if (step == QLatin1String("taken")) {
            picker.lose(FrozenScreen::Loss::WindowTaken);
        } else if (step == QLatin1String("resized")) {
            picker.lose(FrozenScreen::Loss::Resized);
        } else if (const bool shift = step.startsWith(QLatin1String("Shift+"));
                   keys.contains(step.remove(QLatin1String("Shift+")))) {
            send(keys[step], true, shift);
            send(keys[step], false);
        } else if (keys.contains(step.chopped(1))) {
            send(keys[step.chopped(1)], step.endsWith(u'+'));
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(picked.size() + cancelled.size() + refused.size(), 1, 10000);
    QVERIFY(!picker.isActive());
    QCOMPARE(seen.opened, 1);
    QVERIFY(!seen.readOutside);
    if (!refused.isEmpty()) {
        const QString reason = refused.first().first().toString();
        QCOMPARE(reason.section(QLatin1String(": "), 0, 0), QLatin1String("Geen schermkleur"));
        QVERIFY(!reason.section(QLatin1String(": "), 1).isEmpty());
    }
    QCOMPARE(refused.isEmpty()
            ? cancelled.isEmpty() ? QStringLiteral("picked") : QStringLiteral("cancelled")
            : QStringLiteral("refused"),
        outcome.contains(u',') ? QStringLiteral("picked") : outcome);
    if (picked.isEmpty())
        return;

    const QStringList xy = outcome.split(u',');
    const QColor expected(colourOfPixel(xy[0].toInt(), xy[1].toInt()));
    QCOMPARE(QColor(colourOfPixel(seen.pointer.x, seen.pointer.y)), expected);
    QCOMPARE(picked.first().first().value<ColourValue>(), colourValue(expected));
    // The pixel framed in the middle of the loupe is the one taken, and the loupe leaves it
    // in sight, wholly on a monitor that shows it.
    const int side = seen.loupe.width();
    QCOMPARE(QColor(seen.loupe.pixel(side / 2, side / 2)), expected);
    const QRect loupe(seen.loupeAt.x, seen.loupeAt.y, side, seen.loupe.height());
    const QPoint pixel(xy[0].toInt(), xy[1].toInt());
    std::vector<ScreenRect> monitors = seen.monitors;
    if (monitors.empty())
        monitors.push_back(Screen);
    QVERIFY(std::any_of(monitors.begin(), monitors.end(), [&](const ScreenRect &monitor) {
        const QRect shown(monitor.x, monitor.y, monitor.width, monitor.height);
        return shown.contains(pixel) && shown.contains(loupe);
    }));
    QVERIFY(!loupe.contains(pixel));
}

QTEST_MAIN(TestX11Picker)
#include "tst_x11picker.moc"
