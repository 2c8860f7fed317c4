#include "qt/windowwatch.h"

#include "qt/handlerguard.h"
#include "qt/xcbconnection.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>

namespace {

// A window manager maps and unmaps while it reparents and iconifies; what still stands after
// this is left of the unmap is what the outside meant.
constexpr int SettleMilliseconds = 250;

constexpr std::uint32_t IconicState = 3;

bool unmapped(xcb_connection_t *connection, xcb_window_t window)
{
    const ReplyPointer<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr));
    return reply && reply->map_state == XCB_MAP_STATE_UNMAPPED;
}

bool iconic(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_atom_t wmState = internAtom(connection, "WM_STATE", true);
    if (wmState == XCB_ATOM_NONE)
        return false;
    const ReplyPointer<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, window, wmState, wmState, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    return *static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get())) == IconicState;
}

} // namespace

WindowWatch::WindowWatch(QWidget *window)
    : m_window(window)
{
    if (qtXcbConnection()) {
        qApp->installNativeEventFilter(this);
        m_installed = true;
    }
}

WindowWatch::~WindowWatch()
{
    if (m_installed)
        qApp->removeNativeEventFilter(this);
}

bool WindowWatch::windowManagerRuns()
{
    xcb_connection_t *const x = qtXcbConnection();
    if (!x)
        return true;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    // The root's event masks are those of every client together: a window manager's among them.
    const ReplyPointer<xcb_get_window_attributes_reply_t> reply(
        xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, root), nullptr));
    return !reply || (reply->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
}

bool WindowWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_window)
        return false;
    // The window the program itself still uses: one it destroyed itself has another id by now.
    const auto ours = static_cast<xcb_window_t>(m_window->internalWinId());
    if (ours == 0)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    guarded([this, event, ours] {
        switch (event->response_type & ~0x80) {
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == ours)
                QCoreApplication::exit(0);
            break;
        case XCB_UNMAP_NOTIFY:
            if (reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->window == ours)
                QTimer::singleShot(SettleMilliseconds, this, &WindowWatch::remapIfWithdrawn);
            break;
        default:
            break;
        }
    });
    return false;
}

void WindowWatch::remapIfWithdrawn()
{
    guarded([this] {
        // Hidden by the program itself, or iconified by the window manager: as meant.
        if (!m_window || !m_window->isVisible() || m_window->isMinimized())
            return;
        xcb_connection_t *const x = qtXcbConnection();
        const auto window = static_cast<xcb_window_t>(m_window->internalWinId());
        if (!x || window == 0 || !unmapped(x, window) || iconic(x, window))
            return;
        xcb_map_window(x, window);
        xcb_flush(x);
    });
}
