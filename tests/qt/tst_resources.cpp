#include <QFile>
#include <QImage>
#include <QTest>
#include <QtEndian>

namespace {

quint16 word(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint16>(data.constData() + at);
}

quint32 dword(const QByteArray &data, qsizetype at)
{
    return qFromLittleEndian<quint32>(data.constData() + at);
}

qsizetype aligned(qsizetype at)
{
    return (at + 3) & ~qsizetype(3);
}

QByteArray readFile(const char *path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The resources in a compiled .res file, by their numbered type.
QMultiHash<quint16, QByteArray> readResources(const QByteArray &file)
{
    QMultiHash<quint16, QByteArray> resources;
    for (qsizetype at = 0; at + 12 <= file.size();) {
        const quint32 dataSize = dword(file, at);
        const quint32 headerSize = dword(file, at + 4);
        if (word(file, at + 8) == 0xFFFF && dataSize > 0)
            resources.insert(word(file, at + 10), file.mid(at + headerSize, dataSize));
        at = aligned(at + headerSize + dataSize);
    }
    return resources;
}

// A block of a VERSIONINFO resource, with the blocks inside it keyed by name.
struct VersionBlock
{
    QByteArray value;
    QMap<QString, VersionBlock> children;
};

VersionBlock readVersionBlock(const QByteArray &data, qsizetype start, QString *key)
{
    VersionBlock block;
    const qsizetype end = start + word(data, start);
    const bool isText = word(data, start + 4) == 1;
    qsizetype at = start + 6;
    for (; word(data, at) != 0; at += 2)
        *key += QChar(word(data, at));
    at = aligned(at + 2);
    block.value = data.mid(at, word(data, start + 2) * (isText ? 2 : 1));
    for (at = aligned(at + block.value.size()); at < end; at = aligned(at + word(data, at))) {
        QString childKey;
        const VersionBlock child = readVersionBlock(data, at, &childKey);
        block.children.insert(childKey, child);
    }
    return block;
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fixedInfo_data();
    void fixedInfo();
    void strings_data();
    void strings();
    void translation();
    void icon();
    void themeIcon();

private:
    QMultiHash<quint16, QByteArray> m_resources;
    VersionBlock m_version;
};

constexpr quint16 RtIcon = 3;
constexpr quint16 RtGroupIcon = 14;
constexpr quint16 RtVersion = 16;

void TestResources::initTestCase()
{
    // The Windows tests point this at the resources taken out of a built exe.
    const QByteArray path = qEnvironmentVariableIsSet("TINTENWIJZER_RES_FILE")
        ? qgetenv("TINTENWIJZER_RES_FILE")
        : QByteArray(RES_FILE);
    m_resources = readResources(readFile(path.constData()));
    QCOMPARE(m_resources.count(RtVersion), 1);
    QString key;
    m_version = readVersionBlock(m_resources.value(RtVersion), 0, &key);
    QCOMPARE(key, QStringLiteral("VS_VERSION_INFO"));
    QCOMPARE(m_version.value.size(), 52);
}

void TestResources::fixedInfo_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<quint32>("value");

    QTest::newRow("signature") << 0 << 0xFEEF04BDu;
    QTest::newRow("file version 1.0") << 8 << 0x00010000u;
    QTest::newRow("file version .0.0") << 12 << 0u;
    QTest::newRow("product version 1.0") << 16 << 0x00010000u;
    QTest::newRow("product version .0.0") << 20 << 0u;
    QTest::newRow("type: application") << 36 << 1u;
}

void TestResources::fixedInfo()
{
    QFETCH(int, offset);
    QFETCH(quint32, value);
    QCOMPARE(dword(m_version.value, offset), value);
}

void TestResources::strings_data()
{
    QTest::addColumn<QString>("value");

    QTest::newRow("FileVersion") << "1.00";
    QTest::newRow("ProductVersion") << "1.00";
    QTest::newRow("ProductName") << "Tintenwijzer";
    QTest::newRow("InternalName") << "Tintenwijzer";
    QTest::newRow("OriginalFilename") << "Tintenwijzer.exe";
    QTest::newRow("FileDescription") << "Tintenwijzer";
}

void TestResources::strings()
{
    QFETCH(QString, value);
    const QByteArray utf16 = m_version.children.value(QStringLiteral("StringFileInfo"))
                                 .children.value(QStringLiteral("040904B0"))
                                 .children.value(QString::fromLatin1(QTest::currentDataTag()))
                                 .value;
    QCOMPARE(
        QString::fromUtf16(reinterpret_cast<const char16_t *>(utf16.constData()), utf16.size() / 2),
        value + QChar(0));
}

void TestResources::translation()
{
    QCOMPARE(m_version.children.value(QStringLiteral("VarFileInfo"))
                 .children.value(QStringLiteral("Translation"))
                 .value,
        QByteArray::fromHex("0904b004"));
}

// The record must hold the very image of the .ico, not just any icon of its size.
void TestResources::icon()
{
    const QByteArray ico = readFile(ICO_FILE);
    QCOMPARE(word(ico, 4), quint16(1));
    const QByteArray group = m_resources.value(RtGroupIcon);
    QCOMPARE(m_resources.count(RtGroupIcon), 1);
    QCOMPARE(word(group, 4), quint16(1));
    QCOMPARE(group.mid(6, 12), ico.mid(6, 12));
    QCOMPARE(
        m_resources.values(RtIcon), QList<QByteArray> { ico.mid(dword(ico, 18), dword(ico, 14)) });
}

void TestResources::themeIcon()
{
    const QImage png(QString::fromUtf8(PNG_FILE), "PNG");
    const QImage ico(QString::fromUtf8(ICO_FILE));
    QCOMPARE(png.size(), QSize(16, 16));
    QCOMPARE(
        png.convertToFormat(QImage::Format_ARGB32), ico.convertToFormat(QImage::Format_ARGB32));
    // The .ico's mask leaves the corners see-through, and so must the theme's icon.
    QCOMPARE(qAlpha(png.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(png.pixel(8, 8)), 255);
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
