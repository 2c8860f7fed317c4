#include "modalanswer.h"
#include "qt/dialogcolourchooser.h"
#include "qt/pick/portalpicker.h"

#include <QColorDialog>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

// A child that dies with the test, however the test ends, and is ended with it otherwise.
class Child : public QProcess
{
public:
    Child()
    {
        setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~Child() override
    {
        terminate();
        if (!waitForFinished(5000))
            kill();
        waitForFinished();
    }

    // The next line it prints, or nothing within the bound.
    QString nextLine(int boundMs = 20000)
    {
        const QDeadlineTimer deadline(boundMs);
        while (!canReadLine() && waitForReadyRead(deadline.remainingTime())) { }
        return QString::fromUtf8(readLine()).trimmed();
    }
};

} // namespace

class TestPortalPicker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void answers_data();
    void answers();
    void picksAgainAfterAnswer();
    void namesTheWindowThatAsks();
    void dialogHidesScreenPickerOffX11();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Child> m_daemon;
    QString m_address;
};

// A bus of the test's own that can start no service: the stand-in is the only portal on it.
void TestPortalPicker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8()
        + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
          "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
          "<allow own=\"*\"/></policy></busconfig>\n");
    config.close();
    m_daemon = std::make_unique<Child>();
    m_daemon->setStandardErrorFile(QProcess::nullDevice());
    m_daemon->start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--nofork"), QStringLiteral("--print-address"),
            QStringLiteral("--config-file=") + config.fileName() });
    m_address = m_daemon->nextLine();
    QVERIFY2(!m_address.isEmpty(), "dbus-daemon did not start");
}

void TestPortalPicker::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));
    m_daemon.reset();
}

void TestPortalPicker::answers_data()
{
    QTest::addColumn<QString>("behaviour");
    // Whether another picker may follow a refusal: not one the user has waited for.
    QTest::addColumn<bool>("anotherMayTry");
    // "picked" and the colour, "cancelled", or the reason of the refusal.
    QTest::addColumn<QString>("outcome");
    QTest::addColumn<QStringList>("calls");

    const QStringList pick { QStringLiteral("PickColor") };
    const auto refused = [](const char *why) { return QStringLiteral("Geen schermkleur: ") + why; };

    QTest::newRow("colour") << "colour" << true << "picked 5649426" << pick;
    QTest::newRow("answer before the call returns") << "early" << true << "picked 5649426" << pick;
    QTest::newRow("another handle") << "otherhandle" << true << "picked 5649426" << pick;
    QTest::newRow("rounding") << "rounding" << true << "picked 5649426" << pick;
    QTest::newRow("cancel") << "cancel" << true << "cancelled" << pick;
    QTest::newRow("no color") << "nocolour" << true << refused("de desktop gaf geen kleur") << pick;
    QTest::newRow("malformed color")
        << "malformed" << true << refused("de desktop gaf geen kleur") << pick;
    QTest::newRow("error response")
        << "ended" << true << refused("de desktop brak het kiezen af") << pick;
    QTest::newRow("call refused") << "callerror" << true << refused("de desktopportal weigert")
                                  << pick;
    QTest::newRow("version 1") << "version1" << true
                               << refused("de desktopportal kan geen kleur kiezen")
                               << QStringList();
    QTest::newRow("no answer") << "silent" << false << refused("de desktop antwoordt niet")
                               << QStringList { QStringLiteral("PickColor"),
                                      QStringLiteral("Close") };
    QTest::newRow("call never returns")
        << "hangcall" << false << refused("de desktop antwoordt niet")
        << QStringList { QStringLiteral("PickColor"), QStringLiteral("Close") };
    QTest::newRow("no answer to the version")
        << "mute" << true << refused("de desktopportal antwoordt niet") << QStringList();
    QTest::newRow("no service") << "" << true << refused("geen desktopportal") << QStringList();
    QTest::newRow("no bus") << "nobus" << true << refused("geen sessiebus") << QStringList();
}

void TestPortalPicker::answers()
{
    QFETCH(QString, behaviour);
    QFETCH(bool, anotherMayTry);
    QFETCH(QString, outcome);
    QFETCH(QStringList, calls);

    const QDBusConnection bus = behaviour == QLatin1String("nobus")
        ? QDBusConnection::connectToBus(
            QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("none")),
            QStringLiteral("nobus"))
        : QDBusConnection::connectToBus(m_address, QStringLiteral("test"));
    std::unique_ptr<Child> portal;
    if (!behaviour.isEmpty() && behaviour != QLatin1String("nobus")) {
        portal = std::make_unique<Child>();
        portal->start(
            QStringLiteral(STANDIN_PYTHON), { QStringLiteral(FAKE_PORTAL), m_address, behaviour });
        QCOMPARE(portal->nextLine(), QStringLiteral("ready"));
    }

    PortalPicker picker(bus);
    const bool silent = behaviour == u"silent" || behaviour == u"hangcall";
    picker.setTimeout(silent ? 500ms : 20s);
    QStringList answers;
    connect(&picker, &PortalPicker::picked, this,
        [&answers](ColourValue value) { answers << QStringLiteral("picked %1").arg(value); });
    connect(&picker, &PortalPicker::cancelled, this,
        [&answers] { answers << QStringLiteral("cancelled"); });
    connect(&picker, &PortalPicker::refused, this,
        [&answers, anotherMayTry](const QString &reason, bool mayTry) {
            answers << (mayTry == anotherMayTry
                    ? reason
                    : reason + QStringLiteral(", another may try: %1").arg(mayTry));
        });

    picker.start();
    // Nothing waits on the bus: every answer, a portal's silence included, comes from the
    // event loop, so the window stays live meanwhile.
    QVERIFY(answers.isEmpty());
    QVERIFY(picker.isActive());
    picker.start();
    // Sooner than the bus's own bound of 25 s: each wait is the picker's.
    QTRY_VERIFY_WITH_TIMEOUT(!answers.isEmpty(), 20000);
    QVERIFY(!picker.isActive());
    // Whatever comes late, from the portal or from the picker's own timer, is no answer.
    QTest::qWait(700);
    QCOMPARE(answers, QStringList { outcome });

    QStringList seen;
    if (portal) {
        portal->terminate();
        portal->waitForFinished(5000);
        for (const QString &line : QString::fromUtf8(portal->readAll()).split(u'\n'))
            if (!line.isEmpty())
                seen << line;
    }
    QCOMPARE(seen.size(), calls.size());
    for (qsizetype i = 0; i < calls.size(); ++i)
        QVERIFY2(seen[i].startsWith(calls[i]), qPrintable(seen[i]));
    if (!calls.isEmpty()) {
        // Offscreen has no window the portal could put its picker above.
        QVERIFY2(seen.first().startsWith(QLatin1String("PickColor '' tintenwijzer")),
            qPrintable(seen.first()));
    }
}

void TestPortalPicker::picksAgainAfterAnswer()
{
    const QDBusConnection bus = QDBusConnection::connectToBus(m_address, QStringLiteral("test"));
    Child portal;
    portal.start(QStringLiteral(STANDIN_PYTHON),
        { QStringLiteral(FAKE_PORTAL), m_address, QStringLiteral("colour") });
    QCOMPARE(portal.nextLine(), QStringLiteral("ready"));

    PortalPicker picker(bus);
    QSignalSpy picked(&picker, &PortalPicker::picked);
    QSignalSpy refusals(&picker, &PortalPicker::refused);
    for (int n = 1; n <= 2; ++n) {
        picker.start();
        QTRY_COMPARE_WITH_TIMEOUT(picked.size(), n, 20000);
    }
    QCOMPARE(refusals.size(), 0);
    // A fresh token each time: the portal's requests are told apart by it.
    const QString first = portal.nextLine();
    const QString second = portal.nextLine();
    QVERIFY2(first != second, qPrintable(first));
}

// Offscreen has no X windows; its own window ids stand in for them. What is shown: the walk from
// a picker owned through another to the top-level window, and no handle off X11.
void TestPortalPicker::namesTheWindowThatAsks()
{
    QWidget window;
    auto *picker = new PortalPicker(new QObject(new QWidget(&window)));
    QCOMPARE(PortalPicker::parentWindow(picker, u"xcb"), QString());
    window.winId();
    QCOMPARE(PortalPicker::parentWindow(picker, u"xcb"),
        QStringLiteral("x11:") + QString::number(window.winId(), 16));
    QCOMPARE(PortalPicker::parentWindow(picker, u"wayland"), QString());
}

void TestPortalPicker::dialogHidesScreenPickerOffX11()
{
    QStringList visible;
    const ModalAnswer<QColorDialog> answer([&visible](QColorDialog *dialog) {
        for (const QPushButton *button : dialog->findChildren<QPushButton *>())
            if (button->isVisible())
                visible << button->text();
        dialog->reject();
    });
    QWidget window;
    DialogColourChooser(&window).ShowColor();

    QVERIFY2(visible.contains(QColorDialog::tr("&Add to Custom Colors")),
        qPrintable(visible.join(u'|')));
    QVERIFY2(
        !visible.contains(QColorDialog::tr("&Pick Screen Color")), qPrintable(visible.join(u'|')));
}

QTEST_MAIN(TestPortalPicker)
#include "tst_portalpicker.moc"
