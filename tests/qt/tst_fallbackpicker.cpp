#include "qt/pick/fallbackpicker.h"

#include <QTest>

namespace {

// Answers each start with the answer it was given.
class FakePicker : public ScreenColourPicker
{
public:
    explicit FakePicker(QString answer)
        : m_answer(std::move(answer))
    { }

    void start() override
    {
        ++starts;
        if (m_answer == u"picked")
            emit picked(5649426);
        else if (m_answer == u"cancelled")
            emit cancelled();
        else
            emit refused(QStringLiteral("kan niet"), m_answer != u"waited");
    }
    bool isActive() const override { return false; }

    int starts = 0;

private:
    QString m_answer;
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
