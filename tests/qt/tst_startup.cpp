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
    QTest::newRow("unreachable") << "DISPLAY=:4711" << "kan het beeldscherm :4711 niet openen";
    QTest::newRow("unknown platform") << "QT_QPA_PLATFORM=bogus"
                                      << "kan het platform bogus niet openen";
}

// Qt's own answer to a display it cannot open is an abort with a core dump.
void TestStartup::withoutDisplayExitsCleanly()
{
    QFETCH(QString, variable);
    QFETCH(QString, message);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QLatin1String(name));
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

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
