#include "app/startup.h"

#include <QProcessEnvironment>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void hasDisplay_data();
    void hasDisplay();
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

QTEST_APPLESS_MAIN(TestStartup)
#include "tst_startup.moc"
