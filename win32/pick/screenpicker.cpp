#include "win32/pick/screenpicker.h"

#include "core/colournotation.h"
#include "win32/formfonts.h"
#include "win32/widetext.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr const wchar_t *ClassName = L"TintenwijzerSchermkleur";
constexpr int Cells = 11; // odd, so that one cell is the centre
// At 96 DPI.
constexpr int CellSize = 10;
constexpr int Gap = 20;
constexpr int Border = 2;
constexpr int LineHeight = 18;
// In a WM_KEYDOWN's flags: the key was down already, and this is one of its repeats.
constexpr LPARAM KeyRepeated = 1 << 30;
constexpr std::array Keys { VK_RETURN, VK_SPACE, VK_ESCAPE, VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN };

constexpr const char *CaptureRefusal = "Het scherm kan niet worden gelezen.";
constexpr const char *MemoryRefusal = "Te weinig geheugen om het scherm te lezen.";
constexpr const char *WindowGoneRefusal
    = "Het venster om een kleur te kiezen verdween voordat er een kleur was gekozen.";

ScreenRect virtualScreen()
{
    return { GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
        GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN) };
}

BOOL CALLBACK addMonitor(HMONITOR, HDC, LPRECT rect, LPARAM data)
{
    auto &monitors = *reinterpret_cast<std::vector<ScreenRect> *>(data);
    if (monitors.size() < monitors.capacity())
        monitors.push_back(
            { rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top });
    return TRUE;
}

// In device pixels, as the picker is per-monitor DPI aware; the room is made first, so that
// nothing throws inside the callback.
std::vector<ScreenRect> monitorRects()
{
    std::vector<ScreenRect> monitors;
    monitors.reserve(static_cast<std::size_t>(std::max(GetSystemMetrics(SM_CMONITORS), 1)));
    EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

ScreenPoint cursorPosition()
{
    POINT cursor {};
    GetCursorPos(&cursor);
    return { cursor.x, cursor.y };
}

std::optional<PickInput> keyInput(WPARAM key)
{
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
        return PickInput::PickKey;
    case VK_ESCAPE:
        return PickInput::CancelKey;
    case VK_LEFT:
        return PickInput::Left;
    case VK_RIGHT:
        return PickInput::Right;
    case VK_UP:
        return PickInput::Up;
    case VK_DOWN:
        return PickInput::Down;
    default:
        return std::nullopt;
    }
}

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

ScreenPicker::Outcome ScreenPicker::run(HINSTANCE instance, HWND owner)
{
    ScreenPicker picker(instance, MonitorLayout(virtualScreen(), monitorRects()));
    if (!picker.capture())
        return { std::nullopt, picker.m_bits ? CaptureRefusal : MemoryRefusal };
    picker.m_previousBitmap = SelectObject(picker.m_captureDc.get(), picker.m_capture.get());
    if (!picker.createWindow())
        return { std::nullopt, MemoryRefusal };

    const bool ownerEnabled = owner && !EnableWindow(owner, FALSE);
    picker.loop();
    // As a modal dialog does: the owner is enabled again before the picker goes, so that
    // the activation returns to it.
    if (ownerEnabled && IsWindow(owner))
        EnableWindow(owner, TRUE);
    picker.m_window = {};
    // Without a window manager nobody else gives the keyboard back once the picker is gone.
    if (owner && IsWindow(owner)) {
        SetForegroundWindow(owner);
        SetFocus(owner);
    }
    return { picker.m_colour, picker.m_refusal };
}

ScreenPicker::ScreenPicker(HINSTANCE instance, const MonitorLayout &monitors)
    : m_instance(instance)
    , m_screen(monitors.screen())
    , m_session(monitors, cursorPosition())
{
    // Such as the Return that pressed the button which started the pick: its repeats and its
    // release belong to what it pressed.
    for (const int key : Keys) {
        if (GetAsyncKeyState(key) < 0)
            m_session.heldAtStart(*keyInput(static_cast<WPARAM>(key)));
    }
}

ScreenPicker::~ScreenPicker()
{
    m_window = {};
    // The capture cannot be freed while the DC still holds it.
    if (m_previousBitmap)
        SelectObject(m_captureDc.get(), m_previousBitmap);
}

bool ScreenPicker::capture()
{
    if (m_screen.width <= 0 || m_screen.height <= 0)
        return false;
    const ScreenDc screen(GetDC(nullptr));
    if (!screen)
        return false;
    m_captureDc = MemoryDc(CreateCompatibleDC(screen.get()));
    if (!m_captureDc)
        return false;

    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = m_screen.width;
    info.bmiHeader.biHeight = -m_screen.height; // top-down: row 0 is the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    m_capture = Bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!m_capture || !bits)
        return false;
    m_bits = static_cast<const std::uint32_t *>(bits);

    const HGDIOBJ previous = SelectObject(m_captureDc.get(), m_capture.get());
    const bool copied = BitBlt(m_captureDc.get(), 0, 0, m_screen.width, m_screen.height,
        screen.get(), m_screen.x, m_screen.y, SRCCOPY | CAPTUREBLT);
    SelectObject(m_captureDc.get(), previous);
    GdiFlush();
    return copied;
}

bool ScreenPicker::createWindow()
{
    WNDCLASSEXW windowClass {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure<ScreenPicker>;
    windowClass.hInstance = m_instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_CROSS);
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    // No owner: an owned window would go with the main window, in the middle of the loop.
    m_window = WindowHandle(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ClassName,
        L"Kleur van het scherm", WS_POPUP, m_screen.x, m_screen.y, m_screen.width, m_screen.height,
        nullptr, nullptr, m_instance, this));
    if (!m_window)
        return false;

    m_font = FormFonts::messageFont(GetDpiForWindow(m_window.get()));
    m_loupe = loupeRect();

    ShowWindow(m_window.get(), SW_SHOW);
    SetForegroundWindow(m_window.get());
    SetFocus(m_window.get());
    SetCapture(m_window.get());
    UpdateWindow(m_window.get());
    m_watch.emplace(m_window.get());
    m_watch->start();
    return true;
}

void ScreenPicker::loop()
{
    MSG message {};
    while (!m_done) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(message.wParam));
            finish(std::nullopt);
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::optional<LRESULT> ScreenPicker::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Until CreateWindowExW has returned, and from the picker's own DestroyWindow on.
    if (!m_window)
        return std::nullopt;
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_MOUSEMOVE:
        onPointer(PickInput::Pointer, true, lParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        onPointer(PickInput::AimButton, message == WM_LBUTTONDOWN, lParam);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        onPointer(PickInput::CancelButton, message == WM_RBUTTONDOWN, lParam);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        onKey(wParam, message == WM_KEYDOWN, lParam);
        return 0;
    case WM_TIMER:
        if (m_watch && m_watch->onTimer(wParam))
            return 0;
        break;
    case WM_WINDOWPOSCHANGED:
        // Hidden by anyone but finish(): nothing of the pick is on the screen any more.
        if (!m_done && (reinterpret_cast<const WINDOWPOS *>(lParam)->flags & SWP_HIDEWINDOW))
            refuse(WindowGoneRefusal);
        break;
    // Alt+F4 comes back as WM_CLOSE, a cancel.
    case WM_DISPLAYCHANGE:
    case WM_CLOSE:
        finish(std::nullopt);
        return 0;
    case WM_NCDESTROY:
        // Destroyed by anyone but run(): by the watch, or by the end of the session.
        m_window.release();
        if (!m_done)
            m_refusal = WindowGoneRefusal;
        m_done = true;
        break;
    }
    return std::nullopt;
}

void ScreenPicker::onPaint()
{
    PAINTSTRUCT paint {};
    const HDC dc = BeginPaint(m_window.get(), &paint);
    if (!dc)
        return;
    const RECT &dirty = paint.rcPaint;
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
        m_captureDc.get(), dirty.left, dirty.top, SRCCOPY);
    RECT overlap {};
    if (IntersectRect(&overlap, &m_loupe, &dirty))
        drawLoupe(dc, m_loupe);
    EndPaint(m_window.get(), &paint);
}

void ScreenPicker::onKey(WPARAM key, bool pressed, LPARAM flags)
{
    const std::optional<PickInput> input = keyInput(key);
    if (!input)
        return;
    // Only the arrows step on each repeat; the other keys are down from their first press on.
    const bool arrow = *input != PickInput::PickKey && *input != PickInput::CancelKey;
    if (pressed && (flags & KeyRepeated) && !arrow)
        return;
    apply(m_session.handle({ *input, pressed, {}, GetKeyState(VK_SHIFT) < 0 }));
}

void ScreenPicker::onPointer(PickInput input, bool pressed, LPARAM at)
{
    apply(m_session.handle({ input, pressed,
        { m_screen.x + GET_X_LPARAM(at), m_screen.y + GET_Y_LPARAM(at) }, false }));
}

void ScreenPicker::apply(PickSession::Result result)
{
    switch (result) {
    case PickSession::Result::None:
        break;
    case PickSession::Result::Stepped:
        // The hot spot follows, so that a click afterwards picks the same pixel.
        SetCursorPos(m_session.pixel().x, m_session.pixel().y);
        [[fallthrough]];
    case PickSession::Result::Moved:
        redrawLoupe();
        break;
    case PickSession::Result::Picked:
        finish(pixel(m_session.pixel()));
        break;
    case PickSession::Result::Cancelled:
        finish(std::nullopt);
        break;
    }
}

void ScreenPicker::redrawLoupe()
{
    InvalidateRect(m_window.get(), &m_loupe, FALSE);
    m_loupe = loupeRect();
    InvalidateRect(m_window.get(), &m_loupe, FALSE);
    UpdateWindow(m_window.get());
}

void ScreenPicker::finish(std::optional<ColourValue> colour)
{
    if (m_done)
        return;
    m_done = true;
    m_colour = colour;
    if (!m_window)
        return;
    if (GetCapture() == m_window.get())
        ReleaseCapture();
    ShowWindow(m_window.get(), SW_HIDE);
}

void ScreenPicker::refuse(const char *reason)
{
    if (!m_done)
        m_refusal = reason;
    finish(std::nullopt);
}

ColourValue ScreenPicker::pixel(ScreenPoint point) const
{
    const std::uint32_t bgr = m_bits[static_cast<std::size_t>(point.y - m_screen.y) * m_screen.width
        + static_cast<std::size_t>(point.x - m_screen.x)];
    return colourValue((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
}

int ScreenPicker::scaled(int pixels) const
{
    return MulDiv(
        pixels, static_cast<int>(GetDpiForWindow(m_window.get())), USER_DEFAULT_SCREEN_DPI);
}

// In the window's coordinates, which start at the virtual screen's top left.
RECT ScreenPicker::loupeRect() const
{
    const int width = Cells * scaled(CellSize) + 2 * Border;
    const int height = width + 2 * scaled(LineHeight);
    const ScreenPoint at
        = m_session.monitors().loupePosition(m_session.pixel(), width, height, scaled(Gap));
    const int left = at.x - m_screen.x;
    const int top = at.y - m_screen.y;
    return { left, top, left + width, top + height };
}

void ScreenPicker::drawLoupe(HDC dc, const RECT &at) const
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
                const ColourValue value = pixel(source);
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

    const ColourValue value = pixel(cursor);
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
