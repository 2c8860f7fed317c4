#pragma once

#include "qt/pick/frozenscreen.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The keyboard and the pointer during a pick on X11: what each key means to it, which of its
// keys and buttons are down, the grab of both, and their events as the pick's.
class X11PickInput
{
public:
    static constexpr std::uint32_t PointerEvents = XCB_EVENT_MASK_BUTTON_PRESS
        | XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION;
    static constexpr std::uint32_t Events
        = PointerEvents | XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE;

    // Asked along with the other requests of the pick's start, and read with their answers.
    struct Questions
    {
        xcb_get_keyboard_mapping_cookie_t mapping;
        xcb_query_keymap_cookie_t keymap;
    };

    explicit X11PickInput(xcb_connection_t *x)
        : m_x(x)
    { }
    X11PickInput(const X11PickInput &) = delete;
    X11PickInput &operator=(const X11PickInput &) = delete;
    ~X11PickInput();

    Questions ask() const;
    // buttons: the pointer's mask, as the start read it.
    void read(Questions questions, std::uint16_t buttons);
    std::vector<PickInput> held() const { return m_held; }

    // Takes both for window, with cursor, and reads again what is down once it holds them.
    FrozenScreen::Grab grab(xcb_window_t window, xcb_cursor_t cursor);
    void ungrab();

    // The pick's input in event, where the event went to window; ours tells whether it did.
    std::optional<PickEvent> translate(
        const xcb_generic_event_t *event, xcb_window_t window, bool &ours) const;

private:
    std::vector<PickInput> down(
        const xcb_query_keymap_reply_t &keymap, std::uint16_t buttons) const;
    bool stillDown(xcb_keycode_t key) const;

    xcb_connection_t *m_x;
    // What each key code means to the pick, or Pointer for nothing.
    std::array<PickInput, 256> m_keys {};
    std::vector<PickInput> m_held;
    bool m_grabbed = false;
};
