#include "qt/startup.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void hasDisplay_data();
    void hasDisplay();
    void withoutDisplayExitsCleanly_data();
    void withoutDisplayExitsCleanly();
    void commandLineAnsweredWithoutDisplay_data();
    void commandLineAnsweredWithoutDisplay();

private:
    static QProcessEnvironment withoutDisplay();
};

QProcessEnvironment TestStartup::withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
    return environment;
}

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
}

void TestStartup::hasDisplay()
{
    QFETCH(QStringList, variables);
    QFETCH(QStringList, arguments);
    QFETCH(bool, expected);

    QProcessEnvironment environment;
    for (const QString &variable : variables)
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    QCOMPARE(Startup::hasDisplay(environment, arguments), expected);
}

void TestStartup::withoutDisplayExitsCleanly_data()
{
    QTest::addColumn<QString>("variable");
    QTest::addColumn<QString>("message");

    QTest::newRow("none") << QString() << "geen beeldscherm gevonden";
    QTest::newRow("unreachable") << "DISPLAY=:4711"
                                 << "kan het beeldscherm :4711 niet openen";
    QTest::newRow("unknown platform") << "QT_QPA_PLATFORM=bogus"
                                      << "kan het platform bogus niet openen";
}

// Qt's own answer to a display it cannot open is an abort with a core dump.
void TestStartup::withoutDisplayExitsCleanly()
{
    QFETCH(QString, variable);
    QFETCH(QString, message);

    QProcessEnvironment environment = withoutDisplay();
    if (!variable.isEmpty())
        environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));

    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TINTENWIJZER_BINARY), {});
    QVERIFY(program.waitForFinished(20000));

    const QString errors = QString::fromLocal8Bit(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), Startup::NoDisplayStatus);
    QVERIFY2(errors.contains(QStringLiteral("tintenwijzer: ") + message), qPrintable(errors));
    QVERIFY(!errors.contains(QStringLiteral("Reinstalling")));
    if (variable.isEmpty())
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
    QTest::newRow("help, whatever follows")
        << QStringList { "--help", "--bogus" } << 0 << "Gebruik: tintenwijzer [--print] [KLEUR]"
        << "";
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
        << QStringList { "-platform", "bogus", "&H563412&" } << Startup::NoDisplayStatus << ""
        << "tintenwijzer: kan het platform bogus niet openen\n";
}

void TestStartup::commandLineAnsweredWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errors);

    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(QStringLiteral(TINTENWIJZER_BINARY), arguments);
    QVERIFY(program.waitForFinished(20000));

    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    // Qt warns before it gives up on a platform; what we write comes last.
    const QString written = QString::fromUtf8(program.readAllStandardOutput());
    QVERIFY2(
        output.isEmpty() ? written.isEmpty() : written.startsWith(output), qPrintable(written));
    const QString complaints = QString::fromUtf8(program.readAllStandardError());
    QVERIFY2(errors.isEmpty() ? complaints.isEmpty() : complaints.endsWith(errors),
        qPrintable(complaints));
}

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
