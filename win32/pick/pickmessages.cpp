#include "win32/pick/pickmessages.h"

#include <windowsx.h>

#include <utility>

namespace {

constexpr std::pair<int, PickInput> Keys[] {
    { VK_RETURN, PickInput::PickKey },
    { VK_SPACE, PickInput::PickKey },
    { VK_ESCAPE, PickInput::CancelKey },
    { VK_LEFT, PickInput::Left },
    { VK_RIGHT, PickInput::Right },
    { VK_UP, PickInput::Up },
    { VK_DOWN, PickInput::Down },
};

std::optional<PickInput> keyInput(WPARAM key)
{
    for (const auto &[code, input] : Keys) {
        if (static_cast<WPARAM>(code) == key)
            return input;
    }
    return std::nullopt;
}

} // namespace

std::optional<PickEvent> PickMessages::key(WPARAM key, bool pressed, LPARAM flags)
{
    const std::optional<PickInput> input = keyInput(key);
    if (!input)
        return std::nullopt;
    // Only the arrows step on each repeat; the other keys are down from their first press on.
    const bool arrow = *input != PickInput::PickKey && *input != PickInput::CancelKey;
    if (pressed && (HIWORD(flags) & KF_REPEAT) && !arrow)
        return std::nullopt;
    return PickEvent { *input, pressed, {}, GetKeyState(VK_SHIFT) < 0 };
}

PickEvent PickMessages::pointer(PickInput input, bool pressed, LPARAM at, const ScreenRect &screen)
{
    return { input, pressed, { screen.x + GET_X_LPARAM(at), screen.y + GET_Y_LPARAM(at) }, false };
}

// Such as the Return that pressed the button which started the pick: its repeats and its
// release belong to what it pressed. The buttons are read as they are, before any swap.
void PickMessages::readHeld(PickSession &session)
{
    for (const auto &[code, input] : Keys) {
        if (GetAsyncKeyState(code) < 0)
            session.heldAtStart(input);
    }
    const bool swapped = GetSystemMetrics(SM_SWAPBUTTON);
    if (GetAsyncKeyState(swapped ? VK_RBUTTON : VK_LBUTTON) < 0)
        session.heldAtStart(PickInput::AimButton);
    if (GetAsyncKeyState(swapped ? VK_LBUTTON : VK_RBUTTON) < 0)
        session.heldAtStart(PickInput::CancelButton);
}
