#include "qt/clipboardkeeper.h"

#include "qt/xcbconnection.h"

#include <xcb/xcb.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace {

// The owner's side of a selection, for one short text, in the forms Qt's own clipboard offers.
class SelectionOwner
{
public:
    SelectionOwner(xcb_connection_t *connection, std::string text)
        : m_x(connection)
        , m_text(std::move(text))
        , m_clipboard(internAtom(connection, "CLIPBOARD"))
        , m_targets(internAtom(connection, "TARGETS"))
        , m_timestamp(internAtom(connection, "TIMESTAMP"))
        , m_textAtom(internAtom(connection, "TEXT"))
        , m_offered { m_targets, m_timestamp, internAtom(connection, "UTF8_STRING"),
            XCB_ATOM_STRING, m_textAtom, internAtom(connection, "text/plain"),
            internAtom(connection, "text/plain;charset=utf-8") }
    { }

    // Takes the clipboard with a time of the server's own, as the conventions ask.
    bool take(xcb_window_t window)
    {
        const std::uint32_t pid = static_cast<std::uint32_t>(::getpid());
        xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, window, internAtom(m_x, "_NET_WM_PID"),
            XCB_ATOM_CARDINAL, 32, 1, &pid);
        xcb_flush(m_x);
        while (const ReplyPointer<xcb_generic_event_t> event { xcb_wait_for_event(m_x) }) {
            if ((event->response_type & ~0x80) == XCB_PROPERTY_NOTIFY) {
                m_since = reinterpret_cast<const xcb_property_notify_event_t *>(event.get())->time;
                break;
            }
        }
        xcb_set_selection_owner(m_x, window, m_clipboard, m_since);
        const ReplyPointer<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_x, xcb_get_selection_owner(m_x, m_clipboard), nullptr));
        return m_since != XCB_CURRENT_TIME && owner && owner->owner == window;
    }

    // Until another program takes the clipboard, or the connection ends.
    void serve()
    {
        while (const ReplyPointer<xcb_generic_event_t> event { xcb_wait_for_event(m_x) }) {
            const auto type = event->response_type & ~0x80;
            if (type == XCB_SELECTION_CLEAR)
                return;
            if (type == XCB_SELECTION_REQUEST)
                answer(*reinterpret_cast<const xcb_selection_request_event_t *>(event.get()));
        }
    }

private:
    void answer(const xcb_selection_request_event_t &request)
    {
        const xcb_atom_t property
            = request.property == XCB_NONE ? request.target : request.property;
        const bool current = request.time == XCB_CURRENT_TIME || request.time >= m_since;
        const bool offered = std::ranges::find(m_offered, request.target) != m_offered.end();
        if (!current || request.selection != m_clipboard || !offered) {
            notify(request, XCB_NONE);
            return;
        }
        if (request.target == m_targets) {
            xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, request.requestor, property,
                XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(m_offered.size()), m_offered.data());
        } else if (request.target == m_timestamp) {
            xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, request.requestor, property,
                XCB_ATOM_INTEGER, 32, 1, &m_since);
        } else {
            // Digits and a few signs: the same bytes in every one of the text forms.
            const xcb_atom_t type
                = request.target == m_textAtom ? xcb_atom_t(XCB_ATOM_STRING) : request.target;
            xcb_change_property(m_x, XCB_PROP_MODE_REPLACE, request.requestor, property, type, 8,
                static_cast<std::uint32_t>(m_text.size()), m_text.data());
        }
        notify(request, property);
    }

    void notify(const xcb_selection_request_event_t &request, xcb_atom_t property)
    {
        xcb_selection_notify_event_t notice {};
        notice.response_type = XCB_SELECTION_NOTIFY;
        notice.time = request.time;
        notice.requestor = request.requestor;
        notice.selection = request.selection;
        notice.target = request.target;
        notice.property = property;
        xcb_send_event(m_x, false, request.requestor, XCB_EVENT_MASK_NO_EVENT,
            reinterpret_cast<const char *>(&notice));
        xcb_flush(m_x);
    }

    xcb_connection_t *m_x;
    std::string m_text;
    xcb_timestamp_t m_since = XCB_CURRENT_TIME;
    xcb_atom_t m_clipboard;
    xcb_atom_t m_targets;
    xcb_atom_t m_timestamp;
    xcb_atom_t m_textAtom;
    std::array<xcb_atom_t, 7> m_offered;
};

} // namespace

bool ClipboardKeeper::isRun(int argc, char **argv)
{
    return argc == 4 && argv[1] == Argument;
}

int ClipboardKeeper::run(int argc, char **argv)
{
    if (!isRun(argc, argv))
        return 2;
    int screenNumber = 0;
    xcb_connection_t *const x = xcb_connect(argv[2], &screenNumber);
    if (xcb_connection_has_error(x)) {
        xcb_disconnect(x);
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t window = xcb_generate_id(x);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(x, XCB_COPY_FROM_PARENT, window, screens.data->root, -1, -1, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);

    SelectionOwner owner(x, argv[3]);
    const bool owns = owner.take(window);
    if (owns) {
        const char ready = '1';
        [[maybe_unused]] const auto told = ::write(ReadyDescriptor, &ready, 1);
    }
    ::close(ReadyDescriptor);
    if (owns)
        owner.serve();
    xcb_disconnect(x);
    return owns ? 0 : 1;
}
