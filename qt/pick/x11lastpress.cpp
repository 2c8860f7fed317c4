#include "qt/pick/x11lastpress.h"

#include <QCoreApplication>

X11LastPress::X11LastPress()
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11LastPress::~X11LastPress()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11LastPress::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & ~0x80) == XCB_KEY_PRESS) {
        const auto *press = static_cast<const xcb_key_press_event_t *>(message);
        m_place = Place { press->root, { press->root_x, press->root_y } };
    }
    return false;
}
