#include "core/picksession.h"

#include <algorithm>
#include <utility>

namespace {

unsigned bit(PickInput input)
{
    return 1u << static_cast<unsigned>(input);
}

} // namespace

PickSession::PickSession(MonitorLayout monitors, ScreenPoint pointer)
    : m_monitors(std::move(monitors))
    , m_pixel(m_monitors.nearest(pointer))
{ }

void PickSession::heldAtStart(PickInput input)
{
    if (input != PickInput::Pointer)
        m_held |= bit(input);
}

void PickSession::stillHeld(const std::vector<PickInput> &inputs)
{
    m_held = 0;
    for (const PickInput input : inputs) {
        if (!(m_down & bit(input)))
            heldAtStart(input);
    }
}

std::chrono::milliseconds PickSession::raiseAt(std::chrono::milliseconds now)
{
    // One raise still ahead covers every window that came over before it.
    if (m_raise && *m_raise > now)
        return *m_raise;
    m_raise = m_raise ? std::max(now, *m_raise + RaiseGap) : now;
    return *m_raise;
}

PickSession::Result PickSession::handle(const PickEvent &event)
{
    if (m_over)
        return Result::None;
    if (m_held & bit(event.input)) {
        if (!event.pressed)
            m_held &= ~bit(event.input);
        return Result::None;
    }
    const int step = event.shift ? 10 : 1;
    if (!event.pressed)
        return release(event);
    switch (event.input) {
    case PickInput::Pointer:
        return moveTo(event.at, Result::Moved);
    case PickInput::AimButton:
        m_down |= bit(event.input);
        return moveTo(event.at, Result::Moved);
    case PickInput::CancelButton:
    case PickInput::PickKey:
    case PickInput::CancelKey:
        m_down |= bit(event.input);
        return Result::None;
    case PickInput::Left:
        return moveTo(m_monitors.moved(m_pixel, -step, 0), Result::Stepped);
    case PickInput::Right:
        return moveTo(m_monitors.moved(m_pixel, step, 0), Result::Stepped);
    case PickInput::Up:
        return moveTo(m_monitors.moved(m_pixel, 0, -step), Result::Stepped);
    case PickInput::Down:
        return moveTo(m_monitors.moved(m_pixel, 0, step), Result::Stepped);
    }
    return Result::None;
}

PickSession::Result PickSession::moveTo(ScreenPoint point, Result result)
{
    const ScreenPoint pixel = m_monitors.nearest(point);
    if (pixel == m_pixel)
        return Result::None;
    m_pixel = pixel;
    return result;
}

PickSession::Result PickSession::release(const PickEvent &event)
{
    const PickInput input = event.input;
    if (input == PickInput::Pointer || !(m_down & bit(input)))
        return Result::None;
    m_down &= ~bit(input);
    switch (input) {
    case PickInput::AimButton:
        // Where the button came up, whatever motion went unreported on the way.
        m_pixel = m_monitors.nearest(event.at);
        m_over = true;
        return Result::Picked;
    case PickInput::PickKey:
        m_over = true;
        return Result::Picked;
    case PickInput::CancelButton:
    case PickInput::CancelKey:
        m_over = true;
        return Result::Cancelled;
    default:
        return Result::None;
    }
}
