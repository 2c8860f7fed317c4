#include "qt/fatalerror.h"
#include "qt/handlerguard.h"
#include "modalanswer.h"

#include <QMessageBox>
#include <QTest>

#include <functional>

class TestHandlerGuard : public QObject
{
    Q_OBJECT

private slots:
    void init() { FatalError::reset(); }
    void failureEndsProgram_data();
    void failureEndsProgram();
    void cleanRunIsNotFatal();
};

void TestHandlerGuard::failureEndsProgram_data()
{
    QTest::addColumn<std::function<void()>>("body");
    QTest::addColumn<QString>("message");

    QTest::newRow("runtime error")
        << std::function<void()>([] { throw RuntimeError::typeMismatch(); })
        << "Fout 13 tijdens het uitvoeren:\n\nType mismatch";
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << "Fout 7 tijdens het uitvoeren:\n\nOut of memory";
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

void TestHandlerGuard::cleanRunIsNotFatal()
{
    bool ran = false;
    guarded([&ran] { ran = true; });
    QVERIFY(ran);
    QVERIFY(!FatalError::reported());
}

QTEST_MAIN(TestHandlerGuard)
#include "tst_handlerguard.moc"
