#include <QImage>
#include <QTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void themeIcon();
};

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
