#include <QCoreApplication>
#include <QImage>

#include <cstdio>

// Build-time tool: writes the application icon as the PNG that the desktop's icon theme wants,
// so that the .ico stays the one source of its pixels.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("gebruik: icontopng INVOER.ico UITVOER.png\n", stderr);
        return 2;
    }

    const QImage icon(arguments.at(1));
    if (icon.isNull()) {
        std::fprintf(stderr, "icontopng: kan %s niet lezen\n", qPrintable(arguments.at(1)));
        return 1;
    }
    if (!icon.convertToFormat(QImage::Format_ARGB32).save(arguments.at(2), "PNG")) {
        std::fprintf(stderr, "icontopng: kan %s niet schrijven\n", qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}
