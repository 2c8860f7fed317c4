#include "core/colourconversion.h"
#include "core/colournumber.h"
#include "core/runtimeerror.h"

#include <QTest>

#include <limits>
#include <locale>

Q_DECLARE_METATYPE(PropertyValue)

namespace {

PropertyValue text(const char *value)
{
    return std::string(value);
}

} // namespace

class TestColourConversion : public QObject
{
    Q_OBJECT

private slots:
    void colourNumber_data();
    void colourNumber();
    void numberIsLocaleIndependent_data();
    void numberIsLocaleIndependent();
    void steps();
    void converts_data();
    void converts();
    void fails_data();
    void fails();
};

void TestColourConversion::colourNumber_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<ColourValue>("value");
    QTest::addColumn<QString>("number");

    QTest::newRow("black") << 0 << 0 << 0 << 0x000000 << "0";
    QTest::newRow("red") << 255 << 0 << 0 << 0x0000FF << "255";
    QTest::newRow("green") << 0 << 255 << 0 << 0x00FF00 << "65280";
    QTest::newRow("blue") << 0 << 0 << 255 << 0xFF0000 << "16711680";
    QTest::newRow("18,52,86") << 18 << 52 << 86 << 0x563412 << "5649426";
    QTest::newRow("white") << 255 << 255 << 255 << 0xFFFFFF << "16777215";
}

void TestColourConversion::colourNumber()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(ColourValue, value);
    QFETCH(QString, number);

    QCOMPARE(colourValue(red, green, blue), value);
    QCOMPARE(redOf(value), red);
    QCOMPARE(greenOf(value), green);
    QCOMPARE(blueOf(value), blue);
    QCOMPARE(QString::fromStdString(::colourNumber(value)), number);
}

void TestColourConversion::numberIsLocaleIndependent_data()
{
    QTest::addColumn<char>("separator");
    QTest::newRow("Dutch") << '.';
    QTest::newRow("Swiss") << '\'';
    QTest::newRow("English") << ',';
}

// The C++ locale of a user whose numbers are grouped by threes; few machines have the C ones.
void TestColourConversion::numberIsLocaleIndependent()
{
    QFETCH(char, separator);

    struct Grouping : std::numpunct<char>
    {
        explicit Grouping(char separator)
            : m_separator(separator)
        { }
        char do_thousands_sep() const override { return m_separator; }
        std::string do_grouping() const override { return "\3"; }
        char m_separator;
    };
    const std::locale previous
        = std::locale::global(std::locale(std::locale::classic(), new Grouping(separator)));
    const std::string white = ::colourNumber(White);
    const std::string negative = ::colourNumber(-1234567);
    std::locale::global(previous);

    QCOMPARE(white, "16777215");
    QCOMPARE(negative, "-1234567");
}

void TestColourConversion::steps()
{
    const ColourValue base = colourValue(18, 52, 86);
    QCOMPARE(colourValue(19, 52, 86) - base, 1);
    QCOMPARE(colourValue(18, 53, 86) - base, 256);
    QCOMPARE(colourValue(18, 52, 87) - base, 65536);
}

void TestColourConversion::converts_data()
{
    QTest::addColumn<PropertyValue>("input");
    QTest::addColumn<ColourValue>("expected");

    constexpr auto min = std::numeric_limits<ColourValue>::min();
    constexpr auto max = std::numeric_limits<ColourValue>::max();

    QTest::newRow("int") << PropertyValue(std::int64_t(5649426)) << 5649426;
    QTest::newRow("int white") << PropertyValue(std::int64_t(White)) << White;
    QTest::newRow("int max") << PropertyValue(std::int64_t(max)) << max;
    QTest::newRow("int min") << PropertyValue(std::int64_t(min)) << min;
    QTest::newRow("unsigned") << PropertyValue(std::uint64_t(255)) << 255;

    QTest::newRow("0.5 to even 0") << PropertyValue(0.5) << 0;
    QTest::newRow("1.5 to even 2") << PropertyValue(1.5) << 2;
    QTest::newRow("2.5 to even 2") << PropertyValue(2.5) << 2;
    QTest::newRow("-0.5 to even 0") << PropertyValue(-0.5) << 0;
    QTest::newRow("-1.5 to even -2") << PropertyValue(-1.5) << -2;
    QTest::newRow("2.4999 down") << PropertyValue(2.4999) << 2;
    QTest::newRow("2.5001 up") << PropertyValue(2.5001) << 3;
    QTest::newRow("float") << PropertyValue(double(255.0f)) << 255;
    QTest::newRow("double max") << PropertyValue(double(max)) << max;
    QTest::newRow("double min - 0.5 to even") << PropertyValue(double(min) - 0.5) << min;

    QTest::newRow("text") << text("16777215") << White;
    QTest::newRow("text spaces") << text("  255 ") << 255;
    QTest::newRow("text tab and newline") << text("\t65280\n") << 65280;
    QTest::newRow("text plus") << text("+12") << 12;
    QTest::newRow("text minus") << text("-12") << -12;
    QTest::newRow("text fraction to even") << text("2.5") << 2;
    QTest::newRow("text leading point") << text(".5") << 0;
    QTest::newRow("text trailing point") << text("7.") << 7;
    QTest::newRow("text exponent") << text("1.5E3") << 1500;
    QTest::newRow("text negative exponent") << text("25e-1") << 2;
    QTest::newRow("text hex") << text("&HFFFFFF") << White;
    QTest::newRow("text hex lower") << text(" &hff ") << 255;
    QTest::newRow("text hex max") << text("&H7FFFFFFF") << max;
    QTest::newRow("text underflow") << text("1e-400") << 0;
}

void TestColourConversion::converts()
{
    QFETCH(PropertyValue, input);
    QFETCH(ColourValue, expected);
    QCOMPARE(ColourConversion::toColourValue(input), expected);
}

void TestColourConversion::fails_data()
{
    QTest::addColumn<PropertyValue>("input");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    constexpr auto min = std::numeric_limits<ColourValue>::min();
    constexpr auto max = std::numeric_limits<ColourValue>::max();
    constexpr auto nan = std::numeric_limits<double>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<double>::infinity();
    const int overflow = RuntimeError::Overflow;
    const int mismatch = RuntimeError::TypeMismatch;

    QTest::newRow("int max + 1") << PropertyValue(std::int64_t(max) + 1) << overflow << "Overflow";
    QTest::newRow("int min - 1") << PropertyValue(std::int64_t(min) - 1) << overflow << "Overflow";
    QTest::newRow("unsigned max") << PropertyValue(~std::uint64_t(0)) << overflow << "Overflow";
    QTest::newRow("max + 0.5 to even")
        << PropertyValue(double(max) + 0.5) << overflow << "Overflow";
    QTest::newRow("min - 1") << PropertyValue(double(min) - 1) << overflow << "Overflow";
    QTest::newRow("NaN") << PropertyValue(nan) << overflow << "Overflow";
    QTest::newRow("infinity") << PropertyValue(inf) << overflow << "Overflow";
    QTest::newRow("-infinity") << PropertyValue(-inf) << overflow << "Overflow";
    QTest::newRow("text max + 1") << text("2147483648") << overflow << "Overflow";
    QTest::newRow("text huge") << text("1e400") << overflow << "Overflow";
    QTest::newRow("text hex max + 1") << text("&H80000000") << overflow << "Overflow";
    QTest::newRow("text hex too long") << text("&H1FFFFFFFFFFFFFFFF") << overflow << "Overflow";

    QTest::newRow("empty") << PropertyValue() << mismatch << "Type mismatch";
    QTest::newRow("text empty") << text("") << mismatch << "Type mismatch";
    QTest::newRow("text blank") << text("   ") << mismatch << "Type mismatch";
    QTest::newRow("text junk") << text("abc") << mismatch << "Type mismatch";
    QTest::newRow("text trailing junk") << text("12abc") << mismatch << "Type mismatch";
    QTest::newRow("text inner space") << text("1 2") << mismatch << "Type mismatch";
    QTest::newRow("text decimal comma") << text("2,5") << mismatch << "Type mismatch";
    QTest::newRow("text group separator") << text("16.777.215") << mismatch << "Type mismatch";
    QTest::newRow("text hex empty") << text("&H") << mismatch << "Type mismatch";
    QTest::newRow("text hex junk") << text("&HXYZ") << mismatch << "Type mismatch";
    QTest::newRow("text nan") << text("nan") << mismatch << "Type mismatch";
    QTest::newRow("text inf") << text("inf") << mismatch << "Type mismatch";
    QTest::newRow("text exponent only") << text("e5") << mismatch << "Type mismatch";
    QTest::newRow("text sign only") << text("-") << mismatch << "Type mismatch";
}

void TestColourConversion::fails()
{
    QFETCH(PropertyValue, input);
    QFETCH(int, number);
    QFETCH(QString, description);

    try {
        const ColourValue value = ColourConversion::toColourValue(input);
        QFAIL(qPrintable(QStringLiteral("converted to %1").arg(value)));
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), number);
        QCOMPARE(QString::fromStdString(error.description()), description);
    }
}

QTEST_APPLESS_MAIN(TestColourConversion)
#include "tst_colourconversion.moc"
