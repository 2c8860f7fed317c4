#include "qt/displaycheck.h"
#include "qt/startup.h"
#include "xvfbserver.h"

#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QTemporaryDir>
#include <QTest>

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <optional>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void hasDisplay_data();
    void hasDisplay();
    void hostileStart_data();
    void hostileStart();
    void commandLineAnsweredWithoutDisplay_data();
    void commandLineAnsweredWithoutDisplay();
    void printedAtTheEnd_data();
    void printedAtTheEnd();
};

void TestStartup::hasDisplay_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("expected");

    const QStringList none;
    const QStringList plain { "tintenwijzer" };
    QTest::newRow("nothing") << none << plain << false;
    QTest::newRow("empty DISPLAY") << QStringList { "DISPLAY=" } << plain << false;
    QTest::newRow("X11") << QStringList { "DISPLAY=:0" } << plain << true;
    QTest::newRow("Wayland") << QStringList { "WAYLAND_DISPLAY=wayland-0" } << plain << true;
    QTest::newRow("forced platform")
        << QStringList { "QT_QPA_PLATFORM=offscreen" } << plain << true;
    QTest::newRow("platform argument")
        << none << QStringList { "tintenwijzer", "-platform", "offscreen" } << true;
    QTest::newRow("unrelated") << QStringList { "HOME=/root", "XDG_SESSION_TYPE=x11" } << plain
                               << false;
    QTest::newRow("-display") << none << QStringList { "tintenwijzer", "-display", ":3" } << true;
    QTest::newRow("bare -platform") << none << QStringList { "tintenwijzer", "-platform" } << false;
}

void TestStartup::hasDisplay()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(bool, expected);

    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    QCOMPARE(DisplayCheck(environment, arguments).found(), expected);
}

void TestStartup::hostileStart_data()
{
    QTest::addColumn<QStringList>("variables");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QSize>("window");

    // $X stands for the row's own X server, at the given depth; without a window, the program
    // must end with the line.
    const QStringList none;
    const QSize ends;
    const QSize normal(314, 248);
    const QString ignored = QStringLiteral("QT_SCALE_FACTOR genegeerd: geen getal van 0,25 tot 8");
    QTest::newRow("none") << none << none << 0 << "geen beeldscherm gevonden" << ends;
    QTest::newRow("unreachable") << QStringList { "DISPLAY=:$U" } << none << 0
                                 << "kan het beeldscherm :$U niet openen" << ends;
    QTest::newRow("unknown platform") << QStringList { "QT_QPA_PLATFORM=bogus" } << none << 0
                                      << "kan het platform bogus niet openen" << ends;
    QTest::newRow("no framebuffer") << QStringList { "QT_QPA_PLATFORM=linuxfb:fb=/dev/nonexistent" }
                                    << none << 0 << "kan het platform linuxfb niet openen" << ends;
    QTest::newRow("-display alone")
        << none << QStringList { "-display", "$X" } << 24 << QString() << normal;
    QTest::newRow("-display beside DISPLAY")
        << QStringList { "DISPLAY=$X" } << QStringList { "-display", ":$V" } << 24
        << "kan het beeldscherm :$V niet openen" << ends;
    QTest::newRow("--platform xcb") << none << QStringList { "--platform", "xcb" } << 0
                                    << "kan het platform xcb niet openen" << ends;
    QTest::newRow("scale nan") << QStringList { "DISPLAY=$X", "QT_SCALE_FACTOR=nan" } << none << 24
                               << ignored << normal;
    QTest::newRow("scale 1000") << QStringList { "DISPLAY=$X", "QT_SCALE_FACTOR=1000" } << none
                                << 24 << ignored << normal;
    QTest::newRow("screen scale 1000")
        << QStringList { "DISPLAY=$X", "QT_SCREEN_SCALE_FACTORS=1;1000" } << none << 24
        << "QT_SCREEN_SCALE_FACTORS genegeerd: geen getal van 0,25 tot 8" << normal;
    QTest::newRow("font dpi 100000")
        << QStringList { "DISPLAY=$X", "QT_FONT_DPI=100000" } << none << 24
        << "QT_FONT_DPI genegeerd: geen getal van 24 tot 960" << normal;
    QTest::newRow("scale 2 kept") << QStringList { "DISPLAY=$X", "QT_SCALE_FACTOR=2" } << none << 24
                                  << QString() << QSize(628, 496);
    QTest::newRow("no Wayland plugin")
        << QStringList { "WAYLAND_DISPLAY=wayland-0" } << none << 0
        << "geen Qt-plug-in voor het platform wayland (Debian-pakket qt6-wayland)" << ends;
    QTest::newRow("no Wayland plugin, X unreachable")
        << QStringList { "WAYLAND_DISPLAY=wayland-0", "DISPLAY=:$U" } << none << 0
        << "geen Qt-plug-in voor het platform wayland (Debian-pakket qt6-wayland); kan het "
           "beeldscherm :$U niet openen"
        << ends;
    QTest::newRow("two platforms")
        << QStringList { "QT_QPA_PLATFORM=bogus;xcb", "DISPLAY=:$U" } << none << 0
        << "kan het platform bogus en het beeldscherm :$U niet openen" << ends;
    QTest::newRow("8-bit X server")
        << QStringList { "DISPLAY=$X" } << none << 8
        << "het beeldscherm $X kan met een kleurdiepte van 8 bits geen kleuren tonen" << ends;
}

// Two display numbers that no X server here uses: rows that must fail to connect take these.
static std::pair<QString, QString> unusedDisplays()
{
    QStringList found;
    for (int number = 4711; found.size() < 2; ++number) {
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number))
            && !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            found << QString::number(number);
    }
    return { found.at(0), found.at(1) };
}

// The size of the program's window once X has mapped it; empty if it never does.
static QSize mappedWindow(const QString &display, QProcess &program)
{
    const QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired() && !program.waitForFinished(100)) {
        QProcess info;
        info.start(QStringLiteral("xwininfo"),
            QStringLiteral("-display %1 -name Tintenwijzer").arg(display).split(u' '));
        info.waitForFinished(5000);
        const QString text = QString::fromLocal8Bit(info.readAllStandardOutput());
        if (!text.contains(QStringLiteral("Map State: IsViewable")))
            continue;
        const auto field = [&text](const char *name) {
            return text.section(QLatin1String(name), 1, 1).section(u'\n', 0, 0).toInt();
        };
        return { field("Width:"), field("Height:") };
    }
    return {};
}

// Qt's own answer to a display or platform it cannot open, or to a scale it cannot use, is an
// abort with a core dump, a window that never shows or one of 32767 pixels square.
void TestStartup::hostileStart()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(int, depth);
    QFETCH(QString, line);
    QFETCH(QSize, window);

    if (line.contains(QStringLiteral("qt6-wayland"))
        && QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath)
            + QStringLiteral("/platforms/libqwayland-generic.so")))
        QSKIP("Qt's Wayland plugin is installed here");

    std::optional<XvfbServer> server;
    if (depth > 0) {
        server.emplace(depth);
        QVERIFY2(!server->name.isEmpty(), "Xvfb did not start");
    }
    const QString display = server ? server->name : QString();
    const auto [unused, otherUnused] = unusedDisplays();
    for (const auto &[mark, name] : { std::pair { "$X", display }, std::pair { "$U", unused },
             std::pair { "$V", otherUnused } }) {
        variables.replaceInStrings(QLatin1String(mark), name);
        arguments.replaceInStrings(QLatin1String(mark), name);
        line.replace(QLatin1String(mark), name);
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE",
             "QT_SCALE_FACTOR", "QT_FONT_DPI", "QT_SCREEN_SCALE_FACTORS" })
        environment.remove(QLatin1String(name));
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    program.start(QStringLiteral(TINTENWIJZER_BINARY), arguments);

    if (window.isValid()) {
        const QSize mapped = mappedWindow(display, program);
        program.kill();
        program.waitForFinished();
        QCOMPARE(mapped, window);
    } else {
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), DisplayCheck::NoDisplayStatus);
    }

    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    const QString ours = line.isEmpty() ? QString() : QStringLiteral("tintenwijzer: ") + line;
    QVERIFY2(errors.contains(ours), qPrintable(errors));
    QCOMPARE(errors.count(QStringLiteral("tintenwijzer: ")), line.isEmpty() ? 0 : 1);
    QVERIFY(!errors.contains(QStringLiteral("Reinstalling")));
    if (line.startsWith(QStringLiteral("geen beeldscherm")))
        QCOMPARE(errors.count(u'\n'), 1);
}

void TestStartup::commandLineAnsweredWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("errors");

    QTest::newRow("version") << QStringList { "--version" } << 0 << "Tintenwijzer 1.00\n"
                             << "";
    QTest::newRow("help, whatever follows") << QStringList { "--help", "--bogus" } << 0
                                            << "Gebruik: tintenwijzer [--pick [--copy]] [--print] [KLEUR]"
                                            << "";
    QTest::newRow("--copy without --pick") << QStringList { "--copy" } << 2 << ""
                                           << "tintenwijzer: --copy hoort bij --pick (zie tintenwijzer --help)\n";
    QTest::newRow("no colour") << QStringList { "--print", "#12345" } << 2 << ""
                               << "tintenwijzer: Na # komen 3 of 6 hexadecimale cijfers\n";
    QTest::newRow("no colour in three words")
        << QStringList { "18,", "52,", "256" } << 2 << ""
        << "tintenwijzer: Blauw gaat van 0 tot en met 255, niet 256\n";
    QTest::newRow("unknown option")
        << QStringList { "--kleur=rood" } << 2 << ""
        << "tintenwijzer: onbekende optie --kleur=rood (zie tintenwijzer --help)\n";
    // Qt's option and its value are passed over, the colour is taken: on to the display.
    QTest::newRow("Qt's option and a colour")
        << QStringList { "-platform", "bogus", "&H563412&" } << DisplayCheck::NoDisplayStatus << ""
        << "tintenwijzer: kan het platform bogus niet openen\n";
}

void TestStartup::commandLineAnsweredWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TINTENWIJZER_BINARY), arguments);
    QVERIFY(program.waitForFinished(30000));

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    const QString written = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(
        output.isEmpty() ? written.isEmpty() : written.startsWith(output), qPrintable(written));
    // Qt warns before it gives up on a platform; what we write comes last.
    const QString complaints = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(errors.isEmpty() ? complaints.isEmpty() : complaints.endsWith(errors),
        qPrintable(complaints));
}

enum class Output { FullDevice, ClosedPipe, Closed, FullDeviceStderrClosed };
Q_DECLARE_METATYPE(Output)

void TestStartup::printedAtTheEnd_data()
{
    QTest::addColumn<Output>("output");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a full device") << Output::FullDevice << "No space left on device";
    QTest::newRow("a closed pipe") << Output::ClosedPipe << "Broken pipe";
    // A closed descriptor is taken by the next file or socket opened, the display connection
    // among them: the number went into it, and the program hung.
    QTest::newRow("closed") << Output::Closed << "Bad file descriptor";
    QTest::newRow("a full device, standard error closed")
        << Output::FullDeviceStderrClosed << QString();
}

// A --print whose number cannot be written when the window closes: xdotool presses
// "Afsluiten", which has the focus, on the row's own X server. Failing, it fails at once.
void TestStartup::printedAtTheEnd()
{
    QFETCH(Output, output);
    QFETCH(QString, reason);

    const XvfbServer server(24);
    QVERIFY2(!server.name.isEmpty(), "Xvfb did not start");
    const QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("DISPLAY"), server.name);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // Under LeakSanitizer, its list of the suppressions used would follow the program's line.
    environment.insert(QStringLiteral("LSAN_OPTIONS"),
        environment.value(QStringLiteral("LSAN_OPTIONS"))
            + QStringLiteral(":print_suppressions=0"));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.setStandardOutputFile(QStringLiteral("/dev/full"));
    program.setChildProcessModifier([output] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        int ends[2];
        if (output == Output::ClosedPipe && ::pipe(ends) == 0) {
            ::close(ends[0]);
            ::dup2(ends[1], STDOUT_FILENO);
        }
        if (output == Output::Closed)
            ::close(STDOUT_FILENO);
        if (output == Output::FullDeviceStderrClosed)
            ::close(STDERR_FILENO);
    });
    program.start(QStringLiteral(TINTENWIJZER_BINARY),
        { QStringLiteral("--print"), QStringLiteral("#123456") });

    // Focus first, then the key through XTest: a key sent to the window itself would outlive it.
    const auto xdotool = [&environment](const QString &arguments) {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral("xdotool"), arguments.split(u' '));
        const bool done = tool.waitForFinished(30000) && tool.exitCode() == 0;
        if (!done)
            tool.kill();
        tool.waitForFinished();
        return done;
    };
    const bool pressed
        = xdotool(QStringLiteral(
              "search --sync --onlyvisible --name ^Tintenwijzer$ windowfocus --sync"))
        && xdotool(QStringLiteral("key Return"));
    const bool ended = program.waitForFinished(pressed ? 10000 : 0);
    if (!ended)
        program.kill();
    program.waitForFinished();
    QVERIFY(pressed && ended);

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    const QString complaints = QString::fromUtf8(program.readAllStandardError());
    const QString line = reason.isEmpty()
        ? QString()
        : QStringLiteral("tintenwijzer: kan het kleurnummer niet schrijven: %1\n").arg(reason);
    QVERIFY2(
        line.isEmpty() ? complaints.isEmpty() : complaints.endsWith(line), qPrintable(complaints));
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
