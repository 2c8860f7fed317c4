#include "qt/pick/x11pickinput.h"

#include "qt/xcbreply.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::uint16_t Buttons = XCB_KEY_BUT_MASK_BUTTON_1 | XCB_KEY_BUT_MASK_BUTTON_2
    | XCB_KEY_BUT_MASK_BUTTON_3 | XCB_KEY_BUT_MASK_BUTTON_4 | XCB_KEY_BUT_MASK_BUTTON_5;

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

bool isDown(const xcb_query_keymap_reply_t &keymap, std::size_t key)
{
    return keymap.keys[key / 8] & (1 << (key % 8));
}

} // namespace

X11PickInput::~X11PickInput()
{
    ungrab();
}

void X11PickInput::ungrab()
{
    if (std::exchange(m_grabbed, false)) {
        xcb_ungrab_pointer(m_x, XCB_CURRENT_TIME);
        xcb_ungrab_keyboard(m_x, XCB_CURRENT_TIME);
    }
}

X11PickInput::Questions X11PickInput::ask() const
{
    const xcb_setup_t *setup = xcb_get_setup(m_x);
    return { xcb_get_keyboard_mapping(m_x, setup->min_keycode,
                 static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        xcb_query_keymap(m_x) };
}

void X11PickInput::read(Questions questions, std::uint16_t buttons)
{
    const ReplyPointer<xcb_get_keyboard_mapping_reply_t> mapping(
        xcb_get_keyboard_mapping_reply(m_x, questions.mapping, nullptr));
    const ReplyPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_x, questions.keymap, nullptr));
    if (mapping && mapping->keysyms_per_keycode != 0) {
        const int first = xcb_get_setup(m_x)->min_keycode;
        const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perKey = mapping->keysyms_per_keycode;
        const int known = std::min(
            256 - first, xcb_get_keyboard_mapping_keysyms_length(mapping.get()) / perKey);
        for (int i = 0; i < known; ++i)
            m_keys[static_cast<std::size_t>(first + i)] = inputOf(keysyms[i * perKey]);
    }
    if (keymap)
        m_held = down(*keymap, buttons);
}

std::vector<PickInput> X11PickInput::down(
    const xcb_query_keymap_reply_t &keymap, std::uint16_t buttons) const
{
    std::vector<PickInput> inputs;
    if (buttons & XCB_KEY_BUT_MASK_BUTTON_1)
        inputs.push_back(PickInput::AimButton);
    if (buttons & XCB_KEY_BUT_MASK_BUTTON_3)
        inputs.push_back(PickInput::CancelButton);
    for (std::size_t key = 0; key < m_keys.size(); ++key) {
        if (isDown(keymap, key) && m_keys[key] != PickInput::Pointer)
            inputs.push_back(m_keys[key]);
    }
    return inputs;
}

FrozenScreen::Grab X11PickInput::grab(xcb_window_t window, xcb_cursor_t cursor)
{
    // The state read after the grab, in the same round trip: the server answers in order.
    const auto pointer = xcb_grab_pointer(m_x, false, window, PointerEvents, XCB_GRAB_MODE_ASYNC,
        XCB_GRAB_MODE_ASYNC, XCB_NONE, cursor, XCB_CURRENT_TIME);
    const auto keyboard = xcb_grab_keyboard(
        m_x, false, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const auto keymapCookie = xcb_query_keymap(m_x);
    const auto buttonsCookie = xcb_query_pointer(m_x, window);
    const ReplyPointer<xcb_grab_pointer_reply_t> pointerReply(
        xcb_grab_pointer_reply(m_x, pointer, nullptr));
    const ReplyPointer<xcb_grab_keyboard_reply_t> keyboardReply(
        xcb_grab_keyboard_reply(m_x, keyboard, nullptr));
    const ReplyPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_x, keymapCookie, nullptr));
    const ReplyPointer<xcb_query_pointer_reply_t> buttons(
        xcb_query_pointer_reply(m_x, buttonsCookie, nullptr));
    m_grabbed = true;

    FrozenScreen::Grab result;
    result.taken = pointerReply && pointerReply->status == XCB_GRAB_STATUS_SUCCESS && keyboardReply
        && keyboardReply->status == XCB_GRAB_STATUS_SUCCESS;
    const std::uint16_t mask = buttons ? buttons->mask : 0;
    result.anyDown = (mask & Buttons)
        || (keymap
            && std::any_of(std::begin(keymap->keys), std::end(keymap->keys),
                [](std::uint8_t keys) { return keys != 0; }));
    if (keymap)
        result.held = down(*keymap, mask);
    return result;
}

bool X11PickInput::stillDown(xcb_keycode_t key) const
{
    const ReplyPointer<xcb_query_keymap_reply_t> keymap(
        xcb_query_keymap_reply(m_x, xcb_query_keymap(m_x), nullptr));
    return keymap && isDown(*keymap, key);
}

std::optional<PickEvent> X11PickInput::translate(
    const xcb_generic_event_t *event, xcb_window_t window, bool &ours) const
{
    const std::uint8_t type = event->response_type & ~0x80;
    switch (type) {
    case XCB_KEY_PRESS:
    case XCB_KEY_RELEASE: {
        const auto *key = reinterpret_cast<const xcb_key_press_event_t *>(event);
        ours = key->event == window;
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
        ours = button->event == window;
        const ScreenPoint at { button->root_x, button->root_y };
        if (ours && button->detail == XCB_BUTTON_INDEX_1)
            return PickEvent { PickInput::AimButton, type == XCB_BUTTON_PRESS, at };
        if (ours && button->detail == XCB_BUTTON_INDEX_3)
            return PickEvent { PickInput::CancelButton, type == XCB_BUTTON_PRESS, at };
        return std::nullopt;
    }
    case XCB_MOTION_NOTIFY: {
        const auto *motion = reinterpret_cast<const xcb_motion_notify_event_t *>(event);
        ours = motion->event == window;
        if (ours)
            return PickEvent { PickInput::Pointer, true, { motion->root_x, motion->root_y } };
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}
