#include "qt/pick/loupepainter.h"

#include "core/colournotation.h"
#include "qt/qtcolour.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {

// At 96 dpi, multiplied by the scale.
constexpr int CellSize = 10;
constexpr int CaptionHeight = 34;
constexpr int FontSize = 12;
constexpr int Gap = 16;

int scaled(int pixels, double scale)
{
    return std::max(1, qRound(pixels * scale));
}

} // namespace

LoupePainter::LoupePainter(double scale)
    : m_scale(scale)
    , m_cell(scaled(CellSize, scale))
    , m_font(QGuiApplication::font())
{
    m_font.setPixelSize(scaled(FontSize, scale));
    m_raw = QRawFont::fromFont(m_font);
    const QList<quint32> indexes = m_raw.glyphIndexesForString(Glyphs.toString());
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(indexes);
    for (qsizetype i = 0; i < indexes.size() && i < qsizetype(m_glyphs.size()); ++i)
        m_glyphs[std::size_t(i)] = { indexes[i], advances.value(i).x() };
    m_run.setRawFont(m_raw);
}

double LoupePainter::screenScale()
{
    double scale = 1;
    for (const QScreen *screen : QGuiApplication::screens())
        scale = std::max(scale, screen->devicePixelRatio());
    return scale;
}

int LoupePainter::gap() const
{
    return scaled(Gap, m_scale);
}

QImage LoupePainter::paint(const Grid &grid)
{
    const QRgb centre = grid[Cells * Cells / 2].value_or(qRgb(0, 0, 0));
    const ColourValue value = colourValue(QColor(centre));
    return paint(grid,
        QString::fromStdString(
            formatColour(value, Notation::Number) + '\n' + formatColour(value, Notation::Html)));
}

void LoupePainter::warm()
{
    paint({}, QStringLiteral("0123456789\n#ABCDEF"));
}

QImage LoupePainter::paint(const Grid &grid, const QString &caption)
{
    const int side = Cells * m_cell;
    const auto unshown = std::find_if(m_images.begin(), m_images.end(),
        [](const QImage &image) { return image.isNull() || image.isDetached(); });
    QImage &image = unshown != m_images.end() ? *unshown : m_images[0];
    if (image.isNull() || !image.isDetached())
        image = QImage(side, side + scaled(CaptionHeight, m_scale), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (int row = 0; row < Cells; ++row) {
        for (int column = 0; column < Cells; ++column) {
            const std::optional<QRgb> pixel = grid[static_cast<std::size_t>(row * Cells + column)];
            painter.fillRect(column * m_cell, row * m_cell, m_cell, m_cell,
                pixel ? QColor(*pixel) : QColor(Qt::darkGray));
        }
    }
    // Black and white, so that the frame shows on every colour.
    const int half = Cells / 2;
    const QRect centre(half * m_cell, half * m_cell, m_cell, m_cell);
    painter.setPen(Qt::white);
    painter.drawRect(centre.adjusted(-1, -1, 0, 0));
    painter.setPen(Qt::black);
    painter.drawRect(centre.adjusted(-2, -2, 1, 1));

    painter.setPen(Qt::white);
    drawCaption(painter, QRect(0, side, side, image.height() - side), caption);
    painter.setPen(Qt::gray);
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

void LoupePainter::drawCaption(QPainter &painter, const QRect &area, const QString &caption)
{
    const QStringList lines = caption.split(u'\n');
    const qreal lineHeight = m_raw.ascent() + m_raw.descent();
    qreal baseline = area.top() + (area.height() - lines.size() * lineHeight) / 2 + m_raw.ascent();
    QList<quint32> indexes;
    QList<QPointF> positions;
    for (const QString &line : lines) {
        qreal width = 0;
        for (const QChar character : line) {
            const qsizetype glyph = Glyphs.indexOf(character);
            if (glyph < 0 || m_glyphs[std::size_t(glyph)].first == 0) {
                painter.setFont(m_font);
                painter.drawText(area, Qt::AlignCenter, caption);
                return;
            }
            width += m_glyphs[std::size_t(glyph)].second;
        }
        qreal x = std::round(area.left() + (area.width() - width) / 2);
        for (const QChar character : line) {
            const auto &[index, advance] = m_glyphs[std::size_t(Glyphs.indexOf(character))];
            indexes.append(index);
            positions.append(QPointF(x, std::round(baseline)));
            x += advance;
        }
        baseline += lineHeight;
    }
    m_run.setGlyphIndexes(indexes);
    m_run.setPositions(positions);
    painter.drawGlyphRun(QPointF(), m_run);
}
