#include "core/colournotation.h"
#include "core/colourparser.h"

#include <QTest>

class TestColourParser : public QObject
{
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void notations_data();
    void notations();
};

// expected is the colour number, or -1 with the start of the reason in because.
void TestColourParser::parses_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::addColumn<QString>("because");

    const auto accepts = [](const char *name, const QByteArray &text, int expected) {
        QTest::newRow(name) << text << expected << QString();
    };
    const auto rejects = [](const char *name, const QByteArray &text, const char *because) {
        QTest::newRow(name) << text << -1 << QString::fromUtf8(because);
    };

    accepts("number", "5649426", 5649426);
    accepts("number 0", "0", 0);
    accepts("number white", "16777215", 16777215);
    accepts("number leading zeros", "000255", 255);
    accepts("number in white space", " \t5649426\r\n", 5649426);
    accepts("byte-order mark in front", "\xef\xbb\xbf#123456", 5649426);
    accepts("byte-order mark in white space", " \xef\xbb\xbf 5649426\n", 5649426);
    accepts("VB hex, BGR", "&H563412&", 5649426);
    accepts("VB hex without &", "&H00563412", 5649426);
    accepts("VB hex lower case", "&hff&", 255);
    accepts("VB hex white", "&H00FFFFFF&", 16777215);
    accepts("HTML, RGB", "#123456", 5649426);
    accepts("HTML lower case", "#ff0000", 255);
    accepts("HTML short", "#fff", 16777215);
    accepts("HTML short doubles", "#1A3", 0x33AA11);
    accepts("RGB()", "RGB(18, 52, 86)", 5649426);
    accepts("rgb() spaced", "rgb ( 18 ,52 , 86 )", 5649426);
    accepts("RGB() white", "RGB(255, 255, 255)", 16777215);
    accepts("RGB() black", "RGB(0, 0, 0)", 0);
    accepts("three with commas", "18, 52, 86", 5649426);
    accepts("three with spaces", "18 52 86", 5649426);
    accepts("three, red 255", "255,0,0", 255);

    rejects("empty", "", "Leeg");
    rejects("blank", " \t\n", "Leeg");
    rejects("101 characters", QByteArray(100, ' ') + "1", "Langer dan 100 tekens");
    rejects("number white + 1", "16777216",
        "Een kleurnummer gaat van 0 tot en met 16777215, niet 16777216");
    rejects("number -1", "-1", "Een kleurnummer gaat van 0 tot en met 16777215, niet -1");
    rejects("number -0", "-0", "Een kleurnummer gaat van 0 tot en met 16777215, zonder minteken");
    rejects("RGB() green -0", "RGB(0, -0, 0)", "Groen gaat van 0 tot en met 255, zonder minteken");
    rejects("number too long to hold", QByteArray(60, '9'), "Een kleurnummer");
    rejects("number with sign", "+5", "Geen bekende vorm");
    rejects("number fraction", "1.5", "Geen bekende vorm");
    rejects("two byte-order marks",
        "\xef\xbb\xbf\xef\xbb\xbf"
        "0",
        "Bevat tekens buiten ASCII");
    rejects("Arabic-Indic digits", "\xd9\xa5\xd9\xa6", "Bevat tekens buiten ASCII");
    rejects("VB hex above white", "&H1000000",
        "Een VB-hexgetal gaat tot en met &HFFFFFF, niet &H1000000");
    rejects("VB hex 9 digits", "&H000563412", "Na &H komen 1 tot 8");
    rejects("VB hex junk", "&HXYZ", "Na &H komen 1 tot 8");
    rejects("HTML 5 digits", "#12345", "Na # komen 3 of 6");
    rejects("HTML junk", "#12345g", "Na # komen 3 of 6");
    rejects("RGB() red 256", "RGB(256, 0, 0)", "Rood gaat van 0 tot en met 255, niet 256");
    rejects("RGB() blue -1", "RGB(0, 0, -1)", "Blauw gaat van 0 tot en met 255, niet -1");
    rejects("RGB() two", "RGB(18, 52)", "Schrijf RGB(rood, groen, blauw)");
    rejects("RGB() unclosed", "RGB(18, 52, 86", "Schrijf RGB(rood, groen, blauw)");
    rejects("three, green 300", "18, 300, 86", "Groen gaat van 0 tot en met 255, niet 300");
    rejects("two numbers", "18, 52", "Eén kleurnummer of drie getallen");
    rejects("C hex", "0x563412", "Geen bekende vorm");
}

void TestColourParser::parses()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QFETCH(QString, because);

    const ColourParser::Result result
        = ColourParser::parse(std::string_view(text.constData(), text.size()));
    const QString reason = QString::fromStdString(result.reason);
    if (expected >= 0) {
        QVERIFY2(result.colour, qPrintable(reason));
        QCOMPARE(*result.colour, expected);
        QVERIFY(reason.isEmpty());
    } else {
        QVERIFY2(!result.colour, qPrintable(QString::number(result.colour.value_or(0))));
        QVERIFY2(reason.startsWith(because), qPrintable(reason));
    }
}

void TestColourParser::notations_data()
{
    QTest::addColumn<ColourValue>("value");
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("rgb");
    QTest::addColumn<QString>("vbHex");

    QTest::newRow("18,52,86") << 5649426 << "#123456"
                              << "RGB(18, 52, 86)"
                              << "&H00563412&";
    QTest::newRow("red") << 255 << "#FF0000"
                         << "RGB(255, 0, 0)"
                         << "&H000000FF&";
    QTest::newRow("black") << 0 << "#000000"
                           << "RGB(0, 0, 0)"
                           << "&H00000000&";
    QTest::newRow("white") << White << "#FFFFFF"
                           << "RGB(255, 255, 255)"
                           << "&H00FFFFFF&";
}

void TestColourParser::notations()
{
    QFETCH(ColourValue, value);
    QFETCH(QString, html);
    QFETCH(QString, rgb);
    QFETCH(QString, vbHex);

    const auto format = [value](Notation notation) {
        return QString::fromStdString(formatColour(value, notation));
    };
    QCOMPARE(format(Notation::Html), html);
    QCOMPARE(format(Notation::Rgb), rgb);
    QCOMPARE(format(Notation::VbHex), vbHex);
    QCOMPARE(format(Notation::Number), QString::number(value));
    QCOMPARE(QString::fromStdString(notationsText(value)),
        QStringLiteral("Kleurnummer: %1\nHTML: %2\nRGB: %3\nVB-hex: %4")
            .arg(value)
            .arg(html, rgb, vbHex));
}

QTEST_APPLESS_MAIN(TestColourParser)
#include "tst_colourparser.moc"
