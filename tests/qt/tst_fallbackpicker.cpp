#include "qt/fallbackpicker.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// Answers each start with the reply it was given.
class FakePicker : public ScreenColourPicker
{
public:
    enum Reply { Pick, Cancel, Refuse };

    explicit FakePicker(Reply reply)
        : m_reply(reply)
    { }

    void start() override
    {
        ++starts;
        if (m_reply == Pick)
            emit picked(5649426);
        else if (m_reply == Cancel)
            emit cancelled();
        else
            emit refused(QStringLiteral("kan niet"));
    }
    bool isActive() const override { return false; }

    int starts = 0;

private:
    Reply m_reply;
};

} // namespace

class TestFallbackPicker : public QObject
{
    Q_OBJECT

private slots:
    void secondOnlyWhereFirstRefuses_data();
    void secondOnlyWhereFirstRefuses();
};

void TestFallbackPicker::secondOnlyWhereFirstRefuses_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("secondStarts");
    QTest::addColumn<QString>("answer");

    QTest::newRow("first picks") << int(FakePicker::Pick) << int(FakePicker::Refuse) << 0
                                 << "picked";
    // A cancel is the user's word, not a failure: the second must not open over it.
    QTest::newRow("first cancelled")
        << int(FakePicker::Cancel) << int(FakePicker::Pick) << 0 << "cancelled";
    QTest::newRow("first refuses, second picks")
        << int(FakePicker::Refuse) << int(FakePicker::Pick) << 1 << "picked";
    QTest::newRow("both refuse") << int(FakePicker::Refuse) << int(FakePicker::Refuse) << 1
                                 << "refused";
}

void TestFallbackPicker::secondOnlyWhereFirstRefuses()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, secondStarts);
    QFETCH(QString, answer);

    auto *fallback = new FakePicker(FakePicker::Reply(second));
    FallbackPicker picker(new FakePicker(FakePicker::Reply(first)), fallback);
    QSignalSpy picked(&picker, &ScreenColourPicker::picked);
    QSignalSpy cancelled(&picker, &ScreenColourPicker::cancelled);
    QSignalSpy refused(&picker, &ScreenColourPicker::refused);
    picker.start();

    QCOMPARE(fallback->starts, secondStarts);
    // Exactly one answer, the expected one.
    QCOMPARE(picked.size() + cancelled.size() + refused.size(), 1);
    QCOMPARE(picked.size(), int(answer == u"picked"));
    QCOMPARE(cancelled.size(), int(answer == u"cancelled"));
    QCOMPARE(refused.size(), int(answer == u"refused"));
}

QTEST_APPLESS_MAIN(TestFallbackPicker)
#include "tst_fallbackpicker.moc"
