#pragma once

#include "qt/pick/frozenscreen.h"
#include "qt/pick/x11lastpress.h"
#include "qt/pick/x11loupewindow.h"
#include "qt/pick/x11pickinput.h"
#include "qt/pick/x11pixelformat.h"
#include "qt/pick/xcbid.h"

#include <QAbstractNativeEventFilter>
#include <QString>

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// The frozen screen on X11: the root window copied into a pixmap that never leaves the X
// server, shown as the background of an override-redirect window over the whole root, with the
// loupe as a child window of it. Reads its events from Qt's own connection.
class X11PickerWindow : public FrozenScreen, public QAbstractNativeEventFilter
{
public:
    // Null, with a reason, where there is no X11 or its pixels are of a kind not read here.
    // Where the pointer was at the press that started the pick, where known.
    static std::unique_ptr<FrozenScreen> open(
        Sink sink, QString &reason, std::optional<X11LastPress::Place> pressed = {});
    ~X11PickerWindow() override;

    ScreenRect rect() const override { return m_rect; }
    std::vector<ScreenRect> monitors() const override { return m_monitors; }
    ScreenPoint pointer() const override { return m_pointer; }
    std::vector<PickInput> held() const override { return m_input.held(); }
    double scale() const override { return m_scale; }
    QImage pixels(const ScreenRect &area) const override;
    void showLoupe(ScreenPoint at, const QImage &loupe) override;
    void warpPointer(ScreenPoint to) override;
    Grab grab() override;
    void raise() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    X11PickerWindow(
        xcb_connection_t *connection, Sink sink, const xcb_screen_t &screen, X11PixelFormat format);
    // The copy's requests, answered with the next reply after them.
    struct Copy
    {
        xcb_pixmap_t pixmap = 0;
        xcb_void_cookie_t created {};
        xcb_void_cookie_t copied {};
        ScreenRect near;
        std::optional<xcb_get_image_cookie_t> nearPixels;
    };

    // False with pointerRoot set where the pointer is on another X screen's root.
    bool freeze(std::optional<ScreenPoint> pressed, xcb_window_t &pointerRoot, QString &reason);
    Copy copy(const ScreenRect &screen, std::optional<ScreenPoint> pointer);
    bool keep(const Copy &copy, QString &reason);
    void showFrozen();
    QImage image(xcb_get_image_cookie_t cookie, const ScreenRect &area) const;
    void readMonitors(xcb_randr_get_monitors_cookie_t cookie);
    void watchRoot(xcb_get_window_attributes_cookie_t cookie);
    std::optional<Loss> rootChanged(const xcb_generic_event_t *event, bool &covered);
    bool exists(xcb_window_t window) const;

    xcb_connection_t *m_x = nullptr;
    Sink m_sink;
    xcb_window_t m_root = 0;
    // As it was when Qt connected: the size the screen most likely still has.
    ScreenRect m_setupRect;
    std::uint8_t m_depth = 0;
    X11PixelFormat m_format;
    X11PickInput m_input;
    ScreenRect m_rect;
    std::vector<ScreenRect> m_monitors;
    ScreenPoint m_pointer;
    // The root's events this client took before the pick, given back after it.
    std::optional<std::uint32_t> m_rootEvents;
    double m_scale = 1;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
    XcbId<xcb_free_cursor> m_cursor;
    XcbId<xcb_free_pixmap> m_frozen;
    XcbId<xcb_free_gc> m_gc;
    XcbId<xcb_destroy_window> m_overlay;
    // Read with the copy, before the overlay is painted: the loupe's first look needs no round
    // trip of its own.
    ScreenRect m_nearPointer;
    QImage m_nearPointerPixels;
    X11LoupeWindow m_loupe;
};
