#pragma once

#include "qt/xcbreply.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdint>
#include <string_view>

// Qt's own connection to the X server, or null where Qt speaks no X11.
inline xcb_connection_t *qtXcbConnection()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The atom for name; with onlyIfExists, none where no client has made it yet.
inline xcb_atom_t internAtom(
    xcb_connection_t *connection, std::string_view name, bool onlyIfExists = false)
{
    const ReplyPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(connection,
        xcb_intern_atom(
            connection, onlyIfExists, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}
