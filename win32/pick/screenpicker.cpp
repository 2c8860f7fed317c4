#include "win32/pick/screenpicker.h"

#include "win32/pick/pickmessages.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const wchar_t *ClassName = L"TintenwijzerSchermkleur";
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

} // namespace

ScreenPicker::Outcome ScreenPicker::run(HINSTANCE instance, HWND owner)
{
    ScreenPicker picker(instance, MonitorLayout(virtualScreen(), monitorRects()));
    if (const char *refusal = picker.m_screen.capture())
        return { std::nullopt, refusal };
    if (!picker.createWindow())
        return { std::nullopt, FrozenScreen::MemoryRefusal };

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
{ }

ScreenPicker::~ScreenPicker()
{
    m_window = {};
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
    const ScreenRect &screen = m_screen.rect();
    m_window = WindowHandle(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, ClassName,
        L"Kleur van het scherm", WS_POPUP, screen.x, screen.y, screen.width, screen.height, nullptr,
        nullptr, m_instance, this));
    if (!m_window)
        return false;

    m_loupe.attach(m_window.get());

    ShowWindow(m_window.get(), SW_SHOW);
    SetForegroundWindow(m_window.get());
    // Under Wine the focus that comes with the activation does not take before the window is
    // shown; with no other window of the program to take the keys, as with --copy, the picker
    // would get none. Given again, it takes.
    SetFocus(nullptr);
    SetFocus(m_window.get());
    SetCapture(m_window.get());
    UpdateWindow(m_window.get());
    // Read only now that the picker has the input: what was let go meanwhile is no longer
    // down, whoever had its release.
    PickMessages::readHeld(m_session);
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
        handle(PickMessages::pointer(PickInput::Pointer, true, lParam, m_screen.rect()));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        handle(PickMessages::pointer(
            PickInput::AimButton, message == WM_LBUTTONDOWN, lParam, m_screen.rect()));
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        handle(PickMessages::pointer(
            PickInput::CancelButton, message == WM_RBUTTONDOWN, lParam, m_screen.rect()));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (const auto event = PickMessages::key(wParam, message == WM_KEYDOWN, lParam))
            handle(*event);
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
    m_screen.paint(dc, paint.rcPaint);
    m_loupe.paint(dc, paint.rcPaint);
    EndPaint(m_window.get(), &paint);
}

void ScreenPicker::handle(const PickEvent &event)
{
    switch (m_session.handle(event)) {
    case PickSession::Result::None:
        break;
    case PickSession::Result::Stepped:
        // The hot spot follows, so that a click afterwards picks the same pixel.
        SetCursorPos(m_session.pixel().x, m_session.pixel().y);
        [[fallthrough]];
    case PickSession::Result::Moved:
        m_loupe.follow();
        break;
    case PickSession::Result::Picked:
        finish(m_screen.pixel(m_session.pixel()));
        break;
    case PickSession::Result::Cancelled:
        finish(std::nullopt);
        break;
    }
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
