#include <QFile>
#include <QTest>
#include <QtEndian>

// The disc, row by row from the top: first and last red column, or none.
static const std::pair<int, int> redColumns[16] = {
    { 5, 9 },
    { 3, 11 },
    { 2, 12 },
    { 1, 13 },
    { 1, 13 },
    { 0, 14 },
    { 0, 14 },
    { 0, 14 },
    { 0, 14 },
    { 0, 14 },
    { 1, 13 },
    { 1, 13 },
    { 2, 12 },
    { 3, 11 },
    { 5, 9 },
    { -1, -2 },
};

static bool isRed(int row, int column)
{
    return column >= redColumns[row].first && column <= redColumns[row].second;
}

class TestIcon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void header();
    void palette();
    void pixels();

private:
    quint32 u32(qsizetype at) const { return qFromLittleEndian<quint32>(m_bytes.constData() + at); }
    quint16 u16(qsizetype at) const { return qFromLittleEndian<quint16>(m_bytes.constData() + at); }
    quint8 u8(qsizetype at) const { return quint8(m_bytes.at(at)); }

    QByteArray m_bytes;
    qsizetype m_image = 0;
};

void TestIcon::initTestCase()
{
    QFile file(QStringLiteral(ICO_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    m_bytes = file.readAll();
    QVERIFY(m_bytes.size() >= 22);
    m_image = u32(18);
}

void TestIcon::header()
{
    QCOMPARE(u16(0), 0); // reserved
    QCOMPARE(u16(2), 1); // icon
    QCOMPARE(u16(4), 1); // one image
    QCOMPARE(u8(6), 16);
    QCOMPARE(u8(7), 16);
    QCOMPARE(u16(12), 8); // bits per pixel
    const quint32 size = 40 + 256 * 4 + 16 * 16 + 16 * 4;
    QCOMPARE(u32(14), size);
    QCOMPARE(m_bytes.size(), qsizetype(m_image + size));

    QCOMPARE(u32(m_image), 40u);
    QCOMPARE(qint32(u32(m_image + 4)), 16);
    QCOMPARE(qint32(u32(m_image + 8)), 32); // colour and mask stacked
    QCOMPARE(u16(m_image + 14), 8);
    QCOMPARE(u32(m_image + 16), 0u); // uncompressed
}

void TestIcon::palette()
{
    const qsizetype palette = m_image + 40;
    for (int entry = 0; entry < 256; ++entry) {
        const quint32 bgr = u32(palette + 4 * entry) & 0xFFFFFF;
        QCOMPARE(bgr, entry == 1 ? 0xFF0000u : 0u);
    }
}

void TestIcon::pixels()
{
    const qsizetype colours = m_image + 40 + 256 * 4;
    const qsizetype mask = colours + 16 * 16;
    for (int row = 0; row < 16; ++row) {
        const int stored = 15 - row; // bottom-up
        for (int column = 0; column < 16; ++column) {
            const quint8 index = u8(colours + stored * 16 + column);
            const bool transparent = u8(mask + stored * 4 + column / 8) & (0x80 >> (column % 8));
            const bool red = index == 1 && !transparent;
            QVERIFY2(red == isRed(row, column),
                qPrintable(QStringLiteral("row %1, column %2").arg(row).arg(column)));
            QVERIFY(transparent || index == 1);
        }
    }
}

QTEST_APPLESS_MAIN(TestIcon)
#include "tst_icon.moc"
