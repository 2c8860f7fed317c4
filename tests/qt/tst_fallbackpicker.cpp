#include "fakepicker.h"
#include "qt/pick/fallbackpicker.h"

#include <QTest>

class TestFallbackPicker : public QObject
{
    Q_OBJECT

private slots:
    void secondOnlyWhereFirstRefuses_data();
    void secondOnlyWhereFirstRefuses();
};

void TestFallbackPicker::secondOnlyWhereFirstRefuses_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("secondStarts");
    QTest::addColumn<QStringList>("answers");

    QTest::newRow("first picks") << "picked"
                                 << "refused" << 0 << QStringList { "picked" };
    // A cancel is the user's word, not a failure: the second must not open over it.
    QTest::newRow("first cancelled") << "cancelled"
                                     << "picked" << 0 << QStringList { "cancelled" };
    QTest::newRow("first refuses") << "refused"
                                   << "picked" << 1 << QStringList { "picked" };
    // Over a wait on the first, a frozen screen would come unasked.
    QTest::newRow("first waited out") << "waited"
                                      << "picked" << 0 << QStringList { "refused" };
    QTest::newRow("both refuse") << "refused"
                                 << "refused" << 1 << QStringList { "refused" };
}

void TestFallbackPicker::secondOnlyWhereFirstRefuses()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, secondStarts);
    QFETCH(QStringList, answers);

    auto *fallback = new FakePicker(second);
    FallbackPicker picker(new FakePicker(first), fallback);
    QStringList heard;
    connect(&picker, &ScreenColourPicker::picked, [&heard] { heard << "picked"; });
    connect(&picker, &ScreenColourPicker::cancelled, [&heard] { heard << "cancelled"; });
    connect(&picker, &ScreenColourPicker::refused, [&heard] { heard << "refused"; });
    picker.start();

    QCOMPARE(fallback->starts, secondStarts);
    QCOMPARE(heard, answers);
}

QTEST_APPLESS_MAIN(TestFallbackPicker)
#include "tst_fallbackpicker.moc"
