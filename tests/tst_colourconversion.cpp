#include "app/runtimeerror.h"
#include "colour/colourconversion.h"
#include "colour/colournumber.h"

#include <QTest>

#include <limits>

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
    QCOMPARE(colourValue(QColor(red, green, blue)), value);
    QCOMPARE(toQColor(value), QColor(red, green, blue));
    QCOMPARE(::colourNumber(value), number);
}

void TestColourConversion::numberIsLocaleIndependent_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("Dutch") << "nl_NL";
    QTest::newRow("German") << "de_DE";
    QTest::newRow("Swiss") << "de_CH";
    QTest::newRow("Arabic") << "ar_EG";
}

void TestColourConversion::numberIsLocaleIndependent()
{
    QFETCH(QString, locale);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    const QString white = ::colourNumber(White);
    const QString negative = ::colourNumber(-1234567);
    QLocale::setDefault(previous);

    QCOMPARE(white, QStringLiteral("16777215"));
    QCOMPARE(negative, QStringLiteral("-1234567"));
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
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<ColourValue>("expected");

    constexpr auto min = std::numeric_limits<ColourValue>::min();
    constexpr auto max = std::numeric_limits<ColourValue>::max();

    QTest::newRow("int") << QVariant(5649426) << 5649426;
    QTest::newRow("int white") << QVariant(White) << White;
    QTest::newRow("int max") << QVariant(max) << max;
    QTest::newRow("int min") << QVariant(min) << min;
    QTest::newRow("long long max") << QVariant(qlonglong(max)) << max;
    QTest::newRow("unsigned") << QVariant(255u) << 255;

    QTest::newRow("0.5 to even 0") << QVariant(0.5) << 0;
    QTest::newRow("1.5 to even 2") << QVariant(1.5) << 2;
    QTest::newRow("2.5 to even 2") << QVariant(2.5) << 2;
    QTest::newRow("-0.5 to even 0") << QVariant(-0.5) << 0;
    QTest::newRow("-1.5 to even -2") << QVariant(-1.5) << -2;
    QTest::newRow("2.4999 down") << QVariant(2.4999) << 2;
    QTest::newRow("2.5001 up") << QVariant(2.5001) << 3;
    QTest::newRow("float") << QVariant(255.0f) << 255;
    QTest::newRow("double max") << QVariant(double(max)) << max;
    QTest::newRow("double min - 0.5 to even") << QVariant(double(min) - 0.5) << min;

    QTest::newRow("text") << QVariant("16777215") << White;
    QTest::newRow("text spaces") << QVariant("  255 ") << 255;
    QTest::newRow("text tab and newline") << QVariant("\t65280\n") << 65280;
    QTest::newRow("text plus") << QVariant("+12") << 12;
    QTest::newRow("text minus") << QVariant("-12") << -12;
    QTest::newRow("text fraction to even") << QVariant("2.5") << 2;
    QTest::newRow("text leading point") << QVariant(".5") << 0;
    QTest::newRow("text trailing point") << QVariant("7.") << 7;
    QTest::newRow("text exponent") << QVariant("1.5E3") << 1500;
    QTest::newRow("text negative exponent") << QVariant("25e-1") << 2;
    QTest::newRow("text hex") << QVariant("&HFFFFFF") << White;
    QTest::newRow("text hex lower") << QVariant(" &hff ") << 255;
    QTest::newRow("text hex max") << QVariant("&H7FFFFFFF") << max;
    QTest::newRow("text underflow") << QVariant("1e-400") << 0;
    QTest::newRow("bytes") << QVariant(QByteArray("42")) << 42;
}

void TestColourConversion::converts()
{
    QFETCH(QVariant, input);
    QFETCH(ColourValue, expected);
    QCOMPARE(ColourConversion::toColourValue(input), expected);
}

void TestColourConversion::fails_data()
{
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("description");

    constexpr auto min = std::numeric_limits<ColourValue>::min();
    constexpr auto max = std::numeric_limits<ColourValue>::max();
    constexpr auto nan = std::numeric_limits<double>::quiet_NaN();
    constexpr auto inf = std::numeric_limits<double>::infinity();
    const int overflow = RuntimeError::Overflow;
    const int mismatch = RuntimeError::TypeMismatch;

    QTest::newRow("int max + 1") << QVariant(qlonglong(max) + 1) << overflow << "Overflow";
    QTest::newRow("int min - 1") << QVariant(qlonglong(min) - 1) << overflow << "Overflow";
    QTest::newRow("unsigned max") << QVariant(~qulonglong(0)) << overflow << "Overflow";
    QTest::newRow("max + 0.5 to even") << QVariant(double(max) + 0.5) << overflow << "Overflow";
    QTest::newRow("min - 1") << QVariant(double(min) - 1) << overflow << "Overflow";
    QTest::newRow("NaN") << QVariant(nan) << overflow << "Overflow";
    QTest::newRow("infinity") << QVariant(inf) << overflow << "Overflow";
    QTest::newRow("-infinity") << QVariant(-inf) << overflow << "Overflow";
    QTest::newRow("text max + 1") << QVariant("2147483648") << overflow << "Overflow";
    QTest::newRow("text huge") << QVariant("1e400") << overflow << "Overflow";
    QTest::newRow("text hex max + 1") << QVariant("&H80000000") << overflow << "Overflow";
    QTest::newRow("text hex too long") << QVariant("&H1FFFFFFFFFFFFFFFF") << overflow << "Overflow";

    QTest::newRow("empty") << QVariant() << mismatch << "Type mismatch";
    QTest::newRow("bool") << QVariant(true) << mismatch << "Type mismatch";
    QTest::newRow("colour") << QVariant(QColor(Qt::red)) << mismatch << "Type mismatch";
    QTest::newRow("text empty") << QVariant("") << mismatch << "Type mismatch";
    QTest::newRow("text blank") << QVariant("   ") << mismatch << "Type mismatch";
    QTest::newRow("text junk") << QVariant("abc") << mismatch << "Type mismatch";
    QTest::newRow("text trailing junk") << QVariant("12abc") << mismatch << "Type mismatch";
    QTest::newRow("text inner space") << QVariant("1 2") << mismatch << "Type mismatch";
    QTest::newRow("text decimal comma") << QVariant("2,5") << mismatch << "Type mismatch";
    QTest::newRow("text group separator") << QVariant("16.777.215") << mismatch << "Type mismatch";
    QTest::newRow("text hex empty") << QVariant("&H") << mismatch << "Type mismatch";
    QTest::newRow("text hex junk") << QVariant("&HXYZ") << mismatch << "Type mismatch";
    QTest::newRow("text nan") << QVariant("nan") << mismatch << "Type mismatch";
    QTest::newRow("text inf") << QVariant("inf") << mismatch << "Type mismatch";
    QTest::newRow("text exponent only") << QVariant("e5") << mismatch << "Type mismatch";
    QTest::newRow("text sign only") << QVariant("-") << mismatch << "Type mismatch";
}

void TestColourConversion::fails()
{
    QFETCH(QVariant, input);
    QFETCH(int, number);
    QFETCH(QString, description);

    try {
        const ColourValue value = ColourConversion::toColourValue(input);
        QFAIL(qPrintable(QStringLiteral("converted to %1").arg(value)));
    } catch (const RuntimeError &error) {
        QCOMPARE(error.number(), number);
        QCOMPARE(error.description(), description);
    }
}

QTEST_APPLESS_MAIN(TestColourConversion)
#include "tst_colourconversion.moc"
