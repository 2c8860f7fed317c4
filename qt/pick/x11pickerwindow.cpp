#include "qt/pick/x11pickerwindow.h"

#include "qt/handlerguard.h"
#include "qt/pick/loupepainter.h"
#include "qt/xcbconnection.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstring>

namespace {

// The cross of X's own cursor font.
constexpr std::uint16_t Crosshair = 34;
// The side of the square around the pointer read with the copy, more than the loupe shows.
constexpr int NearPointer = 32;

} // namespace

X11PickerWindow::X11PickerWindow(
    xcb_connection_t *connection, Sink sink, const xcb_screen_t &screen, X11PixelFormat format)
    : m_x(connection)
    , m_sink(std::move(sink))
    , m_root(screen.root)
    , m_setupRect { 0, 0, screen.width_in_pixels, screen.height_in_pixels }
    , m_depth(screen.root_depth)
    , m_format(format)
    , m_input(connection)
    , m_loupe(connection, format, screen.root_depth)
{ }

std::unique_ptr<FrozenScreen> X11PickerWindow::open(
    Sink sink, QString &reason, std::optional<X11LastPress::Place> pressed)
{
    xcb_connection_t *const x = qtXcbConnection();
    if (!x) {
        reason = QStringLiteral("geen X11-scherm");
        return nullptr;
    }
    // Of several X screens, the one the pointer is on: the first, unless the pointer is found
    // on another, and then that one.
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(x)).data;
    for (int attempt = 0; attempt < 2 && screen; ++attempt) {
        const std::optional<X11PixelFormat> format = X11PixelFormat::of(x, *screen);
        if (!format) {
            reason = QStringLiteral("de kleuren van dit scherm kunnen niet worden gelezen");
            return nullptr;
        }
        std::unique_ptr<X11PickerWindow> window(new X11PickerWindow(x, sink, *screen, *format));
        xcb_window_t pointerRoot = screen->root;
        const bool pressedHere = pressed && pressed->root == screen->root;
        if (window->freeze(pressedHere ? std::optional(pressed->pointer) : std::nullopt,
                pointerRoot, reason)) {
            qApp->installNativeEventFilter(window.get());
            return window;
        }
        if (pointerRoot == screen->root)
            return nullptr;
        screen = nullptr;
        for (auto screens = xcb_setup_roots_iterator(xcb_get_setup(x)); screens.rem;
             xcb_screen_next(&screens)) {
            if (screens.data->root == pointerRoot)
                screen = screens.data;
        }
    }
    reason = QStringLiteral("het scherm kon niet worden gelezen");
    return nullptr;
}

X11PickerWindow::~X11PickerWindow()
{
    qApp->removeNativeEventFilter(this);
    if (m_rootEvents)
        xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &*m_rootEvents);
    m_input.ungrab();
    m_loupe.reset();
    m_overlay.reset();
    m_gc.reset();
    m_frozen.reset();
    m_cursor.reset();
    xcb_flush(m_x);
}

// One round trip, which the server answers once it has copied the screen: the copy is asked
// with the rest, at the size the screen had when Qt connected, along with the pixels where the
// pointer was at the press. What turns out otherwise is asked again.
bool X11PickerWindow::freeze(
    std::optional<ScreenPoint> pressed, xcb_window_t &pointerRoot, QString &reason)
{
    const auto pointerCookie = xcb_query_pointer(m_x, m_root);
    const auto keys = m_input.ask();
    const auto pidAtom = xcb_intern_atom(m_x, false, 11, "_NET_WM_PID");
    const auto rootAttributes = xcb_get_window_attributes(m_x, m_root);
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(m_x, &xcb_randr_id);
    const bool hasMonitors = randr && randr->present;
    const auto monitors = hasMonitors ? xcb_randr_get_monitors(m_x, m_root, true)
                                      : xcb_randr_get_monitors_cookie_t {};
    Copy copied = copy(m_setupRect, pressed);
    // Last, so that its answer brings the copy's errors along.
    const auto geometryCookie = xcb_get_geometry(m_x, m_root);
    xcb_flush(m_x);
    m_scale = LoupePainter::screenScale();
    if (m_sink.whileCopying)
        m_sink.whileCopying(m_scale);

    const ReplyPointer<xcb_intern_atom_reply_t> pid(xcb_intern_atom_reply(m_x, pidAtom, nullptr));
    m_pidAtom = pid ? pid->atom : xcb_atom_t(XCB_ATOM_NONE);
    const ReplyPointer<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(m_x, pointerCookie, nullptr));
    if (hasMonitors)
        readMonitors(monitors);
    m_input.read(keys, pointer ? pointer->mask : 0);
    watchRoot(rootAttributes);
    // The setup's size is the one at connecting; RandR may have changed it since.
    const ReplyPointer<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_x, geometryCookie, nullptr));
    bool kept = keep(copied, reason);
    if (pointer && pointer->root != m_root) {
        pointerRoot = pointer->root;
        return false;
    }
    if (!geometry || !pointer) {
        reason = QStringLiteral("het scherm kon niet worden gelezen");
        return false;
    }
    m_rect = { 0, 0, geometry->width, geometry->height };
    m_pointer = { pointer->root_x, pointer->root_y };
    if (m_rect != m_setupRect) {
        m_frozen.reset();
        copied = copy(m_rect, m_pointer);
        xcb_flush(m_x);
        kept = keep(copied, reason);
    }
    if (!kept)
        return false;
    showFrozen();
    return true;
}

// The pixmap's creation is checked: a screen too large for the server's memory is no reason
// to crash. Near the pointer, a square larger than the loupe shows is read with it, for the
// loupe's first look.
X11PickerWindow::Copy X11PickerWindow::copy(
    const ScreenRect &screen, std::optional<ScreenPoint> pointer)
{
    const auto width = static_cast<std::uint16_t>(screen.width);
    const auto height = static_cast<std::uint16_t>(screen.height);
    Copy copy;
    copy.pixmap = xcb_generate_id(m_x);
    copy.created = xcb_create_pixmap_checked(m_x, m_depth, copy.pixmap, m_root, width, height);
    if (!m_gc.get()) {
        m_gc.reset(m_x, xcb_generate_id(m_x));
        const std::uint32_t gcValues[] = { XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0 };
        xcb_create_gc(
            m_x, m_gc.get(), m_root, XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES, gcValues);
    }
    copy.copied
        = xcb_copy_area_checked(m_x, m_root, copy.pixmap, m_gc.get(), 0, 0, 0, 0, width, height);
    if (!pointer)
        return copy;
    const int left
        = std::clamp(pointer->x - NearPointer / 2, 0, std::max(0, screen.width - NearPointer));
    const int top
        = std::clamp(pointer->y - NearPointer / 2, 0, std::max(0, screen.height - NearPointer));
    copy.near
        = { left, top, std::min(NearPointer, screen.width), std::min(NearPointer, screen.height) };
    copy.nearPixels = xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, copy.pixmap,
        static_cast<std::int16_t>(copy.near.x), static_cast<std::int16_t>(copy.near.y),
        static_cast<std::uint16_t>(copy.near.width), static_cast<std::uint16_t>(copy.near.height),
        ~0u);
    return copy;
}

// Takes the pixmap where the server made it, with the pixels read along.
bool X11PickerWindow::keep(const Copy &copy, QString &reason)
{
    QImage near = copy.nearPixels ? image(*copy.nearPixels, copy.near) : QImage();
    const ReplyPointer<xcb_generic_error_t> error(xcb_request_check(m_x, copy.created));
    // Without the pixmap there was nothing to copy to either.
    xcb_discard_reply(m_x, copy.copied.sequence);
    if (error) {
        reason = QStringLiteral("te weinig geheugen voor een kopie van het scherm");
        return false;
    }
    m_frozen.reset(m_x, copy.pixmap);
    m_nearPointer = copy.nearPixels ? copy.near : ScreenRect {};
    m_nearPointerPixels = std::move(near);
    return true;
}

// The frozen screen over the real one, painted by the server while the loupe is drawn here.
void X11PickerWindow::showFrozen()
{
    const xcb_font_t font = xcb_generate_id(m_x);
    xcb_open_font(m_x, font, 6, "cursor");
    m_cursor.reset(m_x, xcb_generate_id(m_x));
    xcb_create_glyph_cursor(
        m_x, m_cursor.get(), font, font, Crosshair, Crosshair + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    xcb_close_font(m_x, font);

    m_overlay.reset(m_x, xcb_generate_id(m_x));
    const std::uint32_t values[] = { m_frozen.get(), true, X11PickInput::Events, m_cursor.get() };
    xcb_create_window(m_x, XCB_COPY_FROM_PARENT, m_overlay.get(), m_root, 0, 0,
        static_cast<std::uint16_t>(m_rect.width), static_cast<std::uint16_t>(m_rect.height), 0,
        XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
        XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
    // Tells tools whose window covers the screen.
    if (m_pidAtom != XCB_ATOM_NONE) {
        const auto ours = static_cast<std::uint32_t>(QCoreApplication::applicationPid());
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, m_overlay.get(), m_pidAtom,
            XCB_ATOM_CARDINAL, 32, 1, &ours);
    }
    xcb_map_window(m_x, m_overlay.get());
    xcb_flush(m_x);
}

// A server before RandR 1.5 knows no monitors, and answers with an error that stays here.
void X11PickerWindow::readMonitors(xcb_randr_get_monitors_cookie_t cookie)
{
    xcb_generic_error_t *error = nullptr;
    const ReplyPointer<xcb_randr_get_monitors_reply_t> reply(
        xcb_randr_get_monitors_reply(m_x, cookie, &error));
    const ReplyPointer<xcb_generic_error_t> freed(error);
    if (!reply)
        return;
    for (auto monitor = xcb_randr_get_monitors_monitors_iterator(reply.get()); monitor.rem;
         xcb_randr_monitor_info_next(&monitor))
        m_monitors.push_back(
            { monitor.data->x, monitor.data->y, monitor.data->width, monitor.data->height });
}

// Windows that map or raise themselves during the pick, and a change of the screen's size.
void X11PickerWindow::watchRoot(xcb_get_window_attributes_cookie_t cookie)
{
    const ReplyPointer<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(m_x, cookie, nullptr));
    if (!attributes)
        return;
    m_rootEvents = attributes->your_event_mask;
    const std::uint32_t events = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY
        | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &events);
}

QImage X11PickerWindow::pixels(const ScreenRect &area) const
{
    const ScreenRect &near = m_nearPointer;
    if (near.contains({ area.x, area.y }) && near.contains({ area.right(), area.bottom() }))
        return m_nearPointerPixels.copy(area.x - near.x, area.y - near.y, area.width, area.height);
    return image(
        xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_frozen.get(),
            static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(area.y),
            static_cast<std::uint16_t>(area.width), static_cast<std::uint16_t>(area.height), ~0u),
        area);
}

QImage X11PickerWindow::image(xcb_get_image_cookie_t cookie, const ScreenRect &area) const
{
    QImage image(area.width, area.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    const ReplyPointer<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_x, cookie, nullptr));
    if (!reply || xcb_get_image_data_length(reply.get()) < area.width * area.height * 4)
        return image;
    const std::uint8_t *data = xcb_get_image_data(reply.get());
    for (int y = 0; y < area.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < area.width; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, data + 4 * (y * area.width + x), 4);
            line[x] = m_format.colour(value);
        }
    }
    return image;
}

void X11PickerWindow::showLoupe(ScreenPoint at, const QImage &loupe)
{
    m_loupe.show(m_overlay.get(), m_gc.get(), at, loupe);
}

void X11PickerWindow::warpPointer(ScreenPoint to)
{
    xcb_warp_pointer(m_x, XCB_NONE, m_root, 0, 0, 0, 0, static_cast<std::int16_t>(to.x),
        static_cast<std::int16_t>(to.y));
    xcb_flush(m_x);
}

FrozenScreen::Grab X11PickerWindow::grab()
{
    return m_input.grab(m_overlay.get(), m_cursor.get());
}

void X11PickerWindow::raise()
{
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_x, m_overlay.get(), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_x);
}

bool X11PickerWindow::exists(xcb_window_t window) const
{
    xcb_generic_error_t *error = nullptr;
    const ReplyPointer<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), &error));
    const ReplyPointer<xcb_generic_error_t> freed(error);
    return reply != nullptr;
}

bool X11PickerWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    bool ours = false;
    guarded([this, event, &ours] {
        if (m_loupe.exposed(event)) {
            ours = true;
            return;
        }
        bool covered = false;
        const std::optional<PickEvent> pick = m_input.translate(event, m_overlay.get(), ours);
        const std::optional<Loss> loss = ours ? std::nullopt : rootChanged(event, covered);
        // The pick may end with this event, and this window with it: nothing of it after.
        const Sink sink = m_sink;
        if (pick)
            sink.input(*pick);
        else if (loss)
            sink.lost(*loss);
        else if (covered)
            sink.covered();
    });
    return ours;
}

// Every other window that maps or raises itself goes under the frozen screen again, so that the
// pixel seen is the pixel picked. Qt sees these events too: they are not only ours.
std::optional<FrozenScreen::Loss> X11PickerWindow::rootChanged(
    const xcb_generic_event_t *event, bool &covered)
{
    switch (event->response_type & ~0x80) {
    case XCB_MAP_NOTIFY: {
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
        covered = map->event == m_root && map->window != m_overlay.get();
        return std::nullopt;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto *circulate = reinterpret_cast<const xcb_circulate_notify_event_t *>(event);
        covered = circulate->event == m_root && circulate->window != m_overlay.get();
        return std::nullopt;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
        if (configure->window == m_root) {
            if (configure->width != m_rect.width || configure->height != m_rect.height)
                return Loss::Resized;
        } else {
            covered = configure->event == m_root && configure->window != m_overlay.get();
        }
        return std::nullopt;
    }
    case XCB_UNMAP_NOTIFY:
    case XCB_DESTROY_NOTIFY: {
        // The window field lies at the same place in both.
        const auto *gone = reinterpret_cast<const xcb_unmap_notify_event_t *>(event);
        if (gone->window != m_overlay.get())
            return std::nullopt;
        // Destroyed with its child, the loupe, neither is freed again. An unmap comes before
        // the destroy, which may have happened already.
        if ((event->response_type & ~0x80) == XCB_DESTROY_NOTIFY || !exists(m_overlay.get())) {
            m_loupe.forget();
            m_overlay.forget();
        }
        return Loss::WindowTaken;
    }
    default:
        return std::nullopt;
    }
}
