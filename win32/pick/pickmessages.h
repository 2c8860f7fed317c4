#pragma once

#include "core/picksession.h"

#include <windows.h>

#include <optional>

// The picker window's keyboard and mouse, as the session's events.
class PickMessages
{
public:
    // A WM_KEYDOWN or WM_KEYUP; nothing for a key the pick does not use, or for a repeat of a
    // key that acts once.
    static std::optional<PickEvent> key(WPARAM key, bool pressed, LPARAM flags);
    // A mouse message; at is in the coordinates of a window whose top left is screen's.
    static PickEvent pointer(PickInput input, bool pressed, LPARAM at, const ScreenRect &screen);
    // Tells session which of its keys and buttons are down now, once the picker has the
    // input: one let go before then, its release gone elsewhere, no longer counts as held.
    static void readHeld(PickSession &session);
};
