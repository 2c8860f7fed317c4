#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QImage>
#include <QRawFont>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

class QPainter;

// The loupe's image, in device pixels: the pixels around the one aimed at, each a cell of the
// same whole number of them, the centre framed, and its number and #RRGGBB beneath. It keeps
// its font, so that after the first image the caption's glyphs are at hand.
class LoupePainter
{
public:
    static constexpr int Cells = 11; // odd, so that one cell is the centre
    // Row by row; nothing for a pixel off the screen, or on it where no monitor shows it.
    using Grid = std::array<std::optional<QRgb>, Cells * Cells>;

    explicit LoupePainter(double scale);

    // Device pixels to a pixel at 96 dpi: the largest of any screen's, so that the loupe is
    // never too small to read.
    static double screenScale();

    double scale() const { return m_scale; }
    int gap() const;
    QImage paint(const Grid &grid);
    // Draws every glyph the caption may need once, for a moment when nothing waits on it.
    void warm();

private:
    // Every character of a number and of #RRGGBB.
    static constexpr QStringView Glyphs = u"0123456789#ABCDEF";

    QImage paint(const Grid &grid, const QString &caption);
    // Its lines, centred in area, glyph by glyph: no layout for so few characters, each a
    // digit, a capital hex letter or the hash.
    void drawCaption(QPainter &painter, const QRect &area, const QString &caption);

    double m_scale = 1;
    int m_cell = 1;
    QFont m_font;
    QRawFont m_raw;
    QGlyphRun m_run;
    // The glyph and its advance of each of Glyphs.
    std::array<std::pair<quint32, qreal>, Glyphs.size()> m_glyphs {};
    // Drawn into again and again: fresh memory costs more than the drawing. Two, so that the
    // image a loupe still shows is never drawn over.
    std::array<QImage, 2> m_images;
};
