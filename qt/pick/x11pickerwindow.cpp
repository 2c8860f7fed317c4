#include "qt/pick/x11pickerwindow.h"

#include "qt/handlerguard.h"
#include "qt/xcbreply.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <vector>

namespace {

// The cross of X's own cursor font.
constexpr std::uint16_t Crosshair = 34;

constexpr std::uint32_t PointerEvents
    = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;

PickInput inputOf(xcb_keysym_t keysym)
{
    switch (keysym) {
    case 0xff0d: // Return
    case 0xff8d: // KP_Enter
    case 0x0020: // space
        return PickInput::PickKey;
    case 0xff1b: // Escape
        return PickInput::CancelKey;
    case 0xff51: // Left
    case 0xff96: // KP_Left
        return PickInput::Left;
    case 0xff52: // Up
    case 0xff97: // KP_Up
        return PickInput::Up;
    case 0xff53: // Right
    case 0xff98: // KP_Right
        return PickInput::Right;
    case 0xff54: // Down
    case 0xff99: // KP_Down
        return PickInput::Down;
    default:
        return PickInput::Pointer;
    }
}

// The shift of an 8-bit component's mask; nothing for a mask of another width.
std::optional<int> shiftOf(std::uint32_t mask)
{
    const int shift = std::countr_zero(mask);
    if (shift > 24 || mask >> shift != 0xFF)
        return std::nullopt;
    return shift;
}

std::uint32_t swapped(std::uint32_t value)
{
    return (value >> 24) | ((value >> 8) & 0xFF00) | ((value << 8) & 0xFF0000) | (value << 24);
}

} // namespace

X11PickerWindow::X11PickerWindow(xcb_connection_t *connection, Sink sink)
    : m_x(connection)
    , m_sink(std::move(sink))
{ }

std::unique_ptr<FrozenScreen> X11PickerWindow::open(Sink sink, QString &reason)
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *const x = x11 ? x11->connection() : nullptr;
    if (!x) {
        reason = QStringLiteral("geen X11-scherm");
        return nullptr;
    }
    std::unique_ptr<X11PickerWindow> window(new X11PickerWindow(x, std::move(sink)));
    // Of several X screens, the one the pointer is on.
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    const ReplyPointer<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(x, xcb_query_pointer(x, screens.data->root), nullptr));
    while (pointer && screens.rem && screens.data->root != pointer->root)
        xcb_screen_next(&screens);
    if (!pointer || !screens.rem) {
        reason = QStringLiteral("het scherm kon niet worden gelezen");
        return nullptr;
    }
    window->m_pointer = { pointer->root_x, pointer->root_y };
    if (pointer->mask & XCB_KEY_BUT_MASK_BUTTON_1)
        window->m_held.push_back(PickInput::AimButton);
    if (pointer->mask & XCB_KEY_BUT_MASK_BUTTON_3)
        window->m_held.push_back(PickInput::CancelButton);
    if (!window->freeze(*screens.data, reason))
        return nullptr;
    qApp->installNativeEventFilter(window.get());
    return window;
}

X11PickerWindow::~X11PickerWindow()
{
    qApp->removeNativeEventFilter(this);
    if (m_rootEvents)
        xcb_change_window_attributes(m_x, m_root, XCB_CW_EVENT_MASK, &*m_rootEvents);
    if (m_grabbed) {
        xcb_ungrab_pointer(m_x, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(m_x, XCB_CURRENT_TIME);
    }
    m_loupe.reset();
    m_overlay.reset();
    m_gc.reset();
    m_frozen.reset();
    m_cursor.reset();
    xcb_flush(m_x);
}

bool X11PickerWindow::freeze(const xcb_screen_t &screen, QString &reason)
{
    m_root = screen.root;
    m_depth = screen.root_depth;
    if (!readLayout(screen)) {
        reason = QStringLiteral("de kleuren van dit scherm kunnen niet worden gelezen");
        return false;
    }
    // Asked at once, answered in one round trip.
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    const auto keyboard = xcb_get_keyboard_mapping(m_x, setup->min_keycode,
        static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1));
    const auto pidAtom = xcb_intern_atom(m_x, false, 11, "_NET_WM_PID");
    const auto keymap = xcb_query_keymap(m_x);
    const auto rootAttributes = xcb_get_window_attributes(m_x, m_root);
    const xcb_query_extension_reply_t *randr = xcb_get_extension_data(m_x, &xcb_randr_id);
    const bool hasMonitors = randr && randr->present;
    const auto monitors = hasMonitors ? xcb_randr_get_monitors(m_x, m_root, true)
                                      : xcb_randr_get_monitors_cookie_t {};
    // The setup's size is the one at connecting; RandR may have changed it since.
    const ReplyPointer<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(m_x, xcb_get_geometry(m_x, m_root), nullptr));
    const ReplyPointer<xcb_intern_atom_reply_t> pid(xcb_intern_atom_reply(m_x, pidAtom, nullptr));
    if (hasMonitors)
        readMonitors(monitors);
    mapKeys(keyboard);
    readHeldKeys(keymap);
    watchRoot(rootAttributes);
    if (!geometry) {
        reason = QStringLiteral("het scherm kon niet worden gelezen");
        return false;
    }
    m_rect = { 0, 0, geometry->width, geometry->height };
    for (const QScreen *qtScreen : QGuiApplication::screens())
        m_scale = std::max(m_scale, qtScreen->devicePixelRatio());

    const xcb_pixmap_t frozen = xcb_generate_id(m_x);
    const ReplyPointer<xcb_generic_error_t> error(xcb_request_check(m_x,
        xcb_create_pixmap_checked(
            m_x, m_depth, frozen, m_root, geometry->width, geometry->height)));
    if (error) {
        reason = QStringLiteral("te weinig geheugen voor een kopie van het scherm");
        return false;
    }
    m_frozen.reset(m_x, frozen);
    m_gc.reset(m_x, xcb_generate_id(m_x));
    const std::uint32_t gcValues[] = { XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS, 0 };
    xcb_create_gc(
        m_x, m_gc.get(), m_root, XCB_GC_SUBWINDOW_MODE | XCB_GC_GRAPHICS_EXPOSURES, gcValues);
    xcb_copy_area(m_x, m_root, frozen, m_gc.get(), 0, 0, 0, 0, geometry->width, geometry->height);

    const xcb_font_t font = xcb_generate_id(m_x);
    xcb_open_font(m_x, font, 6, "cursor");
    m_cursor.reset(m_x, xcb_generate_id(m_x));
    xcb_create_glyph_cursor(
        m_x, m_cursor.get(), font, font, Crosshair, Crosshair + 1, 0, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    xcb_close_font(m_x, font);

    m_overlay.reset(m_x, xcb_generate_id(m_x));
    const std::uint32_t values[] = { frozen, true,
        XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE | PointerEvents, m_cursor.get() };
    xcb_create_window(m_x, XCB_COPY_FROM_PARENT, m_overlay.get(), m_root, 0, 0, geometry->width,
        geometry->height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
        XCB_CW_BACK_PIXMAP | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_CURSOR, values);
    // Tells tools whose window covers the screen.
    if (pid && pid->atom != XCB_ATOM_NONE) {
        const auto ours = static_cast<std::uint32_t>(QCoreApplication::applicationPid());
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, m_overlay.get(), pid->atom,
            XCB_ATOM_CARDINAL, 32, 1, &ours);
    }
    xcb_map_window(m_x, m_overlay.get());
    return true;
}

bool X11PickerWindow::readLayout(const xcb_screen_t &screen)
{
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats)) {
        if (formats.data->depth == m_depth)
            thirtyTwoBits = formats.data->bits_per_pixel == 32 && formats.data->scanline_pad <= 32;
    }
    const xcb_visualtype_t *visual = nullptr;
    for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem && !visual;
         xcb_depth_next(&depths)) {
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals)) {
            if (visuals.data->visual_id == screen.root_visual)
                visual = visuals.data;
        }
    }
    if (!thirtyTwoBits || !visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR)
        return false;
    const auto red = shiftOf(visual->red_mask);
    const auto green = shiftOf(visual->green_mask);
    const auto blue = shiftOf(visual->blue_mask);
    if (!red || !green || !blue)
        return false;
    const bool serverLittle = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    m_layout = { *red, *green, *blue, serverLittle != (std::endian::native == std::endian::little),
        ~(visual->red_mask | visual->green_mask | visual->blue_mask) };
    return true;
}

void X11PickerWindow::mapKeys(xcb_get_keyboard_mapping_cookie_t cookie)
{
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - first + 1;
    const ReplyPointer<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(m_x, cookie, nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return;
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int perKey = mapping->keysyms_per_keycode;
    const int known
        = std::min(count, xcb_get_keyboard_mapping_keysyms_length(mapping.get()) / perKey);
    for (int i = 0; i < known; ++i)
        m_keys[static_cast<std::size_t>(first + i)] = inputOf(keysyms[i * perKey]);
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

void X11PickerWindow::readHeldKeys(xcb_query_keymap_cookie_t cookie)
{
    const ReplyPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_x, cookie, nullptr));
    if (!keymap)
        return;
    for (std::size_t key = 0; key < m_keys.size(); ++key) {
        if ((keymap->keys[key / 8] & (1 << (key % 8))) && m_keys[key] != PickInput::Pointer)
            m_held.push_back(m_keys[key]);
    }
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

bool X11PickerWindow::stillDown(xcb_keycode_t key) const
{
    const ReplyPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_x, xcb_query_keymap(m_x), nullptr));
    return keymap && (keymap->keys[key / 8] & (1 << (key % 8)));
}

QImage X11PickerWindow::pixels(const ScreenRect &area) const
{
    QImage image(area.width, area.height, QImage::Format_RGB32);
    image.fill(Qt::black);
    const ReplyPointer<xcb_get_image_reply_t> reply(xcb_get_image_reply(m_x,
        xcb_get_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_frozen.get(),
            static_cast<std::int16_t>(area.x), static_cast<std::int16_t>(area.y),
            static_cast<std::uint16_t>(area.width), static_cast<std::uint16_t>(area.height), ~0u),
        nullptr));
    if (!reply || xcb_get_image_data_length(reply.get()) < area.width * area.height * 4)
        return image;
    const std::uint8_t *data = xcb_get_image_data(reply.get());
    for (int y = 0; y < area.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < area.width; ++x) {
            std::uint32_t value = 0;
            std::memcpy(&value, data + 4 * (y * area.width + x), 4);
            if (m_layout.swapped)
                value = swapped(value);
            line[x] = qRgb((value >> m_layout.red) & 0xFF, (value >> m_layout.green) & 0xFF,
                (value >> m_layout.blue) & 0xFF);
        }
    }
    return image;
}

void X11PickerWindow::showLoupe(ScreenPoint at, const QImage &loupe)
{
    m_loupeImage = loupe;
    if (!m_loupe.get()) {
        m_loupe.reset(m_x, xcb_generate_id(m_x));
        const std::uint32_t values[] = { XCB_EVENT_MASK_EXPOSURE };
        xcb_create_window(m_x, XCB_COPY_FROM_PARENT, m_loupe.get(), m_overlay.get(),
            static_cast<std::int16_t>(at.x), static_cast<std::int16_t>(at.y),
            static_cast<std::uint16_t>(loupe.width()), static_cast<std::uint16_t>(loupe.height()),
            0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, values);
        xcb_map_window(m_x, m_loupe.get());
    } else {
        const std::uint32_t position[]
            = { static_cast<std::uint32_t>(at.x), static_cast<std::uint32_t>(at.y) };
        xcb_configure_window(
            m_x, m_loupe.get(), XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, position);
    }
    putLoupe();
    xcb_flush(m_x);
}

// In strips that each fit in one request.
void X11PickerWindow::putLoupe()
{
    const int width = m_loupeImage.width();
    const int height = m_loupeImage.height();
    if (width == 0)
        return;
    constexpr int RequestHeader = 24;
    const auto maximum = static_cast<std::size_t>(xcb_get_maximum_request_length(m_x)) * 4;
    const int rows = std::clamp(
        static_cast<int>((maximum - RequestHeader) / (static_cast<std::size_t>(width) * 4)), 1,
        height);
    std::vector<std::uint32_t> strip(static_cast<std::size_t>(width) * rows);
    for (int top = 0; top < height; top += rows) {
        const int count = std::min(rows, height - top);
        for (int y = 0; y < count; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(m_loupeImage.constScanLine(top + y));
            for (int x = 0; x < width; ++x) {
                std::uint32_t value = m_layout.unused | std::uint32_t(qRed(line[x])) << m_layout.red
                    | std::uint32_t(qGreen(line[x])) << m_layout.green
                    | std::uint32_t(qBlue(line[x])) << m_layout.blue;
                strip[static_cast<std::size_t>(y) * width + x]
                    = m_layout.swapped ? swapped(value) : value;
            }
        }
        xcb_put_image(m_x, XCB_IMAGE_FORMAT_Z_PIXMAP, m_loupe.get(), m_gc.get(),
            static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(count), 0,
            static_cast<std::int16_t>(top), 0, m_depth,
            static_cast<std::uint32_t>(count * width * 4),
            reinterpret_cast<const std::uint8_t *>(strip.data()));
    }
}

void X11PickerWindow::warpPointer(ScreenPoint to)
{
    xcb_warp_pointer(m_x, XCB_NONE, m_root, 0, 0, 0, 0, static_cast<std::int16_t>(to.x),
        static_cast<std::int16_t>(to.y));
    xcb_flush(m_x);
}

bool X11PickerWindow::grab()
{
    const auto pointer = xcb_grab_pointer(m_x, false, m_overlay.get(), PointerEvents,
        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, m_cursor.get(), XCB_CURRENT_TIME);
    const auto keyboard = xcb_grab_keyboard(
        m_x, false, m_overlay.get(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const ReplyPointer<xcb_grab_pointer_reply_t> pointerReply(
        xcb_grab_pointer_reply(m_x, pointer, nullptr));
    const ReplyPointer<xcb_grab_keyboard_reply_t> keyboardReply(
        xcb_grab_keyboard_reply(m_x, keyboard, nullptr));
    m_grabbed = true;
    return pointerReply && pointerReply->status == XCB_GRAB_STATUS_SUCCESS && keyboardReply
        && keyboardReply->status == XCB_GRAB_STATUS_SUCCESS;
}

bool X11PickerWindow::exists(xcb_window_t window) const
{
    xcb_generic_error_t *error = nullptr;
    const ReplyPointer<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(m_x, xcb_get_window_attributes(m_x, window), &error));
    const ReplyPointer<xcb_generic_error_t> freed(error);
    return reply != nullptr;
}

void X11PickerWindow::raise()
{
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_x, m_overlay.get(), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_x);
}

bool X11PickerWindow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    bool ours = false;
    guarded([this, event, &ours] {
        const std::optional<PickEvent> pick = input(event, ours);
        const std::optional<Loss> loss = ours ? std::nullopt : rootChanged(event);
        // The pick may end with this event, and this window with it: nothing of it after.
        const Sink sink = m_sink;
        if (pick)
            sink.input(*pick);
        else if (loss)
            sink.lost(*loss);
    });
    return ours;
}

std::optional<PickEvent> X11PickerWindow::input(const xcb_generic_event_t *event, bool &ours)
{
    const std::uint8_t type = event->response_type & ~0x80;
    switch (type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
        const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
        ours = key->event == m_overlay.get();
        const PickInput input = m_keys[key->detail];
        // X repeats a held key as a release and a press at once, unless the client asked
        // XKB for presses alone; the release of a key still down is such a repeat's.
        if (ours && input != PickInput::Pointer
            && (type == XCB_KEY_PRESS || !stillDown(key->detail)))
            return PickEvent { input, type == XCB_KEY_PRESS, {},
                (key->state & XCB_MOD_MASK_SHIFT) != 0 };
        return std::nullopt;
    }
    case XCB_BUTTON_PRESS:
    case XCB_BUTTON_RELEASE: {
        const auto *button = reinterpret_cast<const xcb_button_press_event_t *>(event);
        ours = button->event == m_overlay.get();
        const ScreenPoint at { button->root_x, button->root_y };
        if (ours && button->detail == XCB_BUTTON_INDEX_1)
            return PickEvent { PickInput::AimButton, type == XCB_BUTTON_PRESS, at };
        if (ours && button->detail == XCB_BUTTON_INDEX_3)
            return PickEvent { PickInput::CancelButton, type == XCB_BUTTON_PRESS, at };
        return std::nullopt;
    }
    case XCB_MOTION_NOTIFY: {
        const auto *motion = reinterpret_cast<const xcb_motion_notify_event_t *>(event);
        ours = motion->event == m_overlay.get();
        if (ours)
            return PickEvent { PickInput::Pointer, true, { motion->root_x, motion->root_y } };
        return std::nullopt;
    }
    case XCB_EXPOSE: {
        const auto *expose = reinterpret_cast<const xcb_expose_event_t *>(event);
        ours = m_loupe.get() && expose->window == m_loupe.get();
        if (ours && expose->count == 0) {
            putLoupe();
            xcb_flush(m_x);
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// Every other window goes under the frozen screen again, so that the pixel seen is the pixel
// picked. Qt sees these events too: they are not only ours.
std::optional<FrozenScreen::Loss> X11PickerWindow::rootChanged(const xcb_generic_event_t *event)
{
    switch (event->response_type & ~0x80) {
    case XCB_MAP_NOTIFY: {
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event);
        if (map->event == m_root && map->window != m_overlay.get())
            raise();
        return std::nullopt;
    }
    case XCB_CIRCULATE_NOTIFY: {
        const auto *circulate = reinterpret_cast<const xcb_circulate_notify_event_t *>(event);
        if (circulate->event == m_root && circulate->window != m_overlay.get())
            raise();
        return std::nullopt;
    }
    case XCB_CONFIGURE_NOTIFY: {
        const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
        if (configure->window == m_root) {
            if (configure->width != m_rect.width || configure->height != m_rect.height)
                return Loss::Resized;
        } else if (configure->event == m_root && configure->window != m_overlay.get()) {
            raise();
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
