#include "fakechooser.h"
#include "modalanswer.h"
#include "qt/fatalerror.h"
#include "qt/handlerguard.h"
#include "qt/kleurtjeswindow.h"

#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <functional>

class TestHandlerGuard : public QObject
{
    Q_OBJECT

private slots:
    void init() { FatalError::reset(); }
    void failureEndsProgram_data();
    void failureEndsProgram();
    void failureWithoutBoxEndsOnOneLine_data();
    void failureWithoutBoxEndsOnOneLine();
    void cleanRunIsNotFatal();
};

void TestHandlerGuard::failureEndsProgram_data()
{
    QTest::addColumn<std::function<void()>>("body");
    QTest::addColumn<QString>("message");

    QTest::newRow("runtime error")
        << std::function<void()>([] { throw RuntimeError::typeMismatch(); })
        << "Fout 13 tijdens het uitvoeren:\n\nType mismatch";
    QTest::newRow("anything else") << std::function<void()>([] { throw 42; })
                                   << "Fout 51 tijdens het uitvoeren:\n\nInternal error";
}

// The body runs from the event loop, as a handler does; the loop must end with the fatal status.
void TestHandlerGuard::failureEndsProgram()
{
    QFETCH(std::function<void()>, body);
    QFETCH(QString, message);

    QString shown;
    const ModalAnswer<QMessageBox> answer([&shown](QMessageBox *box) {
        QCOMPARE(box->windowTitle(), QStringLiteral("Tintenwijzer"));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        shown = box->text();
        box->accept();
    });
    QTimer::singleShot(0, qApp, [&body] { guarded(body); });
    const LoopWatchdog watchdog;

    QCOMPARE(QApplication::exec(), FatalError::ExitStatus);
    QCOMPARE(shown, message);
    QVERIFY(FatalError::reported());
}

void TestHandlerGuard::failureWithoutBoxEndsOnOneLine_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("line");

    QTest::newRow("out of memory") << "memory"
                                   << "tintenwijzer: Fout 7 tijdens het uitvoeren: Out of memory\n";
    QTest::newRow("box fails") << "box"
                               << "tintenwijzer: Fout 13 tijdens het uitvoeren: Type mismatch\n";
}

// The path ends the process, so a child of this binary takes it; see failInChild().
void TestHandlerGuard::failureWithoutBoxEndsOnOneLine()
{
    QFETCH(QString, failure);
    QFETCH(QString, line);

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QStringLiteral("--fail"), failure });
    QVERIFY(child.waitForFinished(30000));

    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), FatalError::ExitStatus);
    QVERIFY2(errors.endsWith(line), qPrintable(errors));
    QCOMPARE(errors.count(QStringLiteral("tintenwijzer:")), 1);
}

void TestHandlerGuard::cleanRunIsNotFatal()
{
    bool ran = false;
    guarded([&ran] { ran = true; });
    QVERIFY(ran);
    QVERIFY(!FatalError::reported());
}

// A click on "Kies kleur" whose chooser runs out of memory, or whose failure cannot be shown.
static int failInChild(const QByteArray &failure)
{
    auto chooser = std::make_unique<FakeChooser>();
    if (failure == "memory") {
        chooser->failure = std::make_exception_ptr(std::bad_alloc());
    } else {
        chooser->failure = std::make_exception_ptr(RuntimeError::typeMismatch());
        FatalError::setBox([](const QString &) { throw std::bad_alloc(); });
    }
    KleurtjesWindow window(std::move(chooser));
    window.load();
    window.show();
    QTimer::singleShot(0, &window,
        [&window] { window.findChild<QPushButton *>(QStringLiteral("cmdKleur"))->click(); });
    const LoopWatchdog watchdog;
    return QApplication::exec();
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--fail") == 0)
        return failInChild(argv[2]);
    TestHandlerGuard test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_handlerguard.moc"
