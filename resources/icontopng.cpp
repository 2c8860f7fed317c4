#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

QImage render(const QString &svg, int size)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

} // namespace

// Build-time tool: writes the application icon as the PNGs that the desktop's icon theme and
// the window want, so that the .ico and the .svg stay the only sources of its pixels.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const bool fromSvg = arguments.size() == 4 && arguments.at(1).endsWith(QLatin1String(".svg"));
    if (arguments.size() != 3 && !fromSvg) {
        std::fputs("gebruik: icontopng INVOER.ico UITVOER.png\n"
                   "         icontopng INVOER.svg UITVOER.png GROOTTE\n",
            stderr);
        return 2;
    }

    const QImage icon
        = fromSvg ? render(arguments.at(1), arguments.at(3).toInt()) : QImage(arguments.at(1));
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
