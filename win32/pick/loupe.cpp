#include "win32/pick/loupe.h"

#include "core/colournotation.h"
#include "win32/formfonts.h"
#include "win32/widetext.h"

#include <string>

namespace {

constexpr int Cells = 11; // odd, so that one cell is the centre
// At 96 DPI.
constexpr int CellSize = 10;
constexpr int Gap = 20;
constexpr int Border = 2;
constexpr int LineHeight = 18;

void fill(HDC dc, const RECT &rect, COLORREF colour)
{
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void frame(HDC dc, RECT rect, int width, COLORREF colour)
{
    for (int i = 0; i < width; ++i) {
        SetDCBrushColor(dc, colour);
        FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        InflateRect(&rect, -1, -1);
    }
}

} // namespace

Loupe::Loupe(const FrozenScreen &screen, const PickSession &session)
    : m_screen(screen)
    , m_session(session)
{ }

void Loupe::attach(HWND window)
{
    m_window = window;
    m_dpi = GetDpiForWindow(window);
    m_font = FormFonts::messageFont(m_dpi);
    m_rect = place();
}

void Loupe::follow()
{
    InvalidateRect(m_window, &m_rect, FALSE);
    m_rect = place();
    InvalidateRect(m_window, &m_rect, FALSE);
    UpdateWindow(m_window);
}

void Loupe::paint(HDC dc, const RECT &dirty) const
{
    RECT overlap {};
    if (IntersectRect(&overlap, &m_rect, &dirty))
        draw(dc, m_rect);
}

int Loupe::scaled(int pixels) const
{
    return MulDiv(pixels, static_cast<int>(m_dpi), USER_DEFAULT_SCREEN_DPI);
}

RECT Loupe::place() const
{
    const int width = Cells * scaled(CellSize) + 2 * Border;
    const int height = width + 2 * scaled(LineHeight);
    const ScreenPoint at
        = m_session.monitors().loupePosition(m_session.pixel(), width, height, scaled(Gap));
    const int left = at.x - m_screen.rect().x;
    const int top = at.y - m_screen.rect().y;
    return { left, top, left + width, top + height };
}

void Loupe::draw(HDC dc, const RECT &at) const
{
    const int cell = scaled(CellSize);
    const int grid = Cells * cell + 2 * Border;
    fill(dc, at, GetSysColor(COLOR_WINDOW));
    frame(dc, { at.left, at.top, at.right, at.top + grid }, Border, RGB(0, 0, 0));

    const ScreenPoint cursor = m_session.pixel();
    const MonitorLayout &monitors = m_session.monitors();
    const int half = Cells / 2;
    for (int row = 0; row < Cells; ++row) {
        for (int column = 0; column < Cells; ++column) {
            const ScreenPoint source { cursor.x + column - half, cursor.y + row - half };
            const int left = at.left + Border + column * cell;
            const int top = at.top + Border + row * cell;
            // What no monitor shows stays the loupe's own background.
            if (monitors.nearest(source) == source) {
                const ColourValue value = m_screen.pixel(source);
                fill(dc, { left, top, left + cell, top + cell },
                    RGB(redOf(value), greenOf(value), blueOf(value)));
            }
        }
    }
    // Black and white, so that the frame shows on every colour.
    const int centreLeft = at.left + Border + half * cell;
    const int centreTop = at.top + Border + half * cell;
    const RECT centre { centreLeft - 1, centreTop - 1, centreLeft + cell + 1,
        centreTop + cell + 1 };
    frame(dc, centre, 1, RGB(0, 0, 0));
    frame(dc, { centre.left + 1, centre.top + 1, centre.right - 1, centre.bottom - 1 }, 1,
        RGB(255, 255, 255));

    const ColourValue value = m_screen.pixel(cursor);
    const std::wstring lines[] = { widened(formatColour(value, Notation::Number)),
        widened(formatColour(value, Notation::Html)) };
    const HGDIOBJ previousFont
        = SelectObject(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    int top = at.top + grid;
    for (const std::wstring &line : lines) {
        RECT box { at.left, top, at.right, top + scaled(LineHeight) };
        DrawTextW(dc, line.c_str(), static_cast<int>(line.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        top += scaled(LineHeight);
    }
    SelectObject(dc, previousFont);
}
