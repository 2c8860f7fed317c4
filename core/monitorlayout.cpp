#include "core/monitorlayout.h"

#include <algorithm>
#include <utility>

namespace {

ScreenRect clipped(const ScreenRect &rect, const ScreenRect &to)
{
    const int left = std::max(rect.x, to.x);
    const int top = std::max(rect.y, to.y);
    const int right = std::min(rect.right(), to.right());
    const int bottom = std::min(rect.bottom(), to.bottom());
    return { left, top, std::max(0, right - left + 1), std::max(0, bottom - top + 1) };
}

ScreenPoint clamped(ScreenPoint point, const ScreenRect &rect)
{
    return { std::clamp(point.x, rect.x, rect.right()),
        std::clamp(point.y, rect.y, rect.bottom()) };
}

long long squaredDistance(ScreenPoint point, const ScreenRect &rect)
{
    const ScreenPoint near = clamped(point, rect);
    const long long dx = point.x - near.x;
    const long long dy = point.y - near.y;
    return dx * dx + dy * dy;
}

} // namespace

MonitorLayout::MonitorLayout(const ScreenRect &screen, std::vector<ScreenRect> monitors)
    : m_screen(screen)
{
    for (const ScreenRect &monitor : monitors) {
        const ScreenRect shown = clipped(monitor, screen);
        if (shown.width > 0 && shown.height > 0)
            m_monitors.push_back(shown);
    }
    if (m_monitors.empty())
        m_monitors.push_back(screen);
}

// Of monitors that overlap, the smallest: a monitor that spans others, as an output left beside
// monitors set up by hand is, shows what they show.
template<typename Accepts>
const ScreenRect *MonitorLayout::closest(ScreenPoint point, Accepts accepts) const
{
    const ScreenRect *best = nullptr;
    std::pair<long long, long long> bestKey;
    for (const ScreenRect &monitor : m_monitors) {
        const auto key = std::pair(squaredDistance(point, monitor),
            static_cast<long long>(monitor.width) * monitor.height);
        if (accepts(monitor) && (!best || key < bestKey)) {
            best = &monitor;
            bestKey = key;
        }
    }
    return best;
}

const ScreenRect &MonitorLayout::monitorAt(ScreenPoint point) const
{
    return *closest(point, [](const ScreenRect &) { return true; });
}

ScreenPoint MonitorLayout::nearest(ScreenPoint point) const
{
    const ScreenRect &monitor = monitorAt(point);
    if (monitor.width <= 0 || monitor.height <= 0)
        return point;
    return clamped(point, monitor);
}

ScreenPoint MonitorLayout::moved(ScreenPoint from, int dx, int dy) const
{
    ScreenPoint point = nearest(from);
    if (dx != 0)
        point.x = reach(point, dx, 0);
    if (dy != 0)
        point.y = reach(point, 0, dy);
    return point;
}

ScreenPoint MonitorLayout::loupePosition(ScreenPoint cursor, int width, int height, int gap) const
{
    const auto holds = [&](const ScreenRect &monitor) {
        return monitor.width >= width && monitor.height >= height;
    };
    // The monitor under the cursor where it holds the loupe. Where none does, the loupe stays
    // on that monitor, from its top left.
    const ScreenRect *on = closest(cursor, holds);
    return PickGeometry::loupePosition(cursor, width, height, on ? *on : monitorAt(cursor), gap);
}

bool MonitorLayout::shown(ScreenPoint point) const
{
    return std::any_of(m_monitors.begin(), m_monitors.end(),
        [point](const ScreenRect &monitor) { return monitor.contains(point); });
}

// Along one axis, the coordinate a step of dx or dy from a shown pixel ends on: as far as
// asked, or the last pixel of the run of touching monitors that holds the start.
int MonitorLayout::reach(ScreenPoint from, int dx, int dy) const
{
    const bool across = dx != 0;
    const auto at = [&](int along) {
        return across ? ScreenPoint { along, from.y } : ScreenPoint { from.x, along };
    };
    const int target = (across ? from.x : from.y) + (across ? dx : dy);
    const bool forward = (across ? dx : dy) > 0;
    int last = across ? from.x : from.y;
    for (;;) {
        // In one jump, the farthest this way that a monitor holding last shows.
        int farthest = last;
        for (const ScreenRect &monitor : m_monitors) {
            if (!monitor.contains(at(last)))
                continue;
            if (forward)
                farthest = std::max(farthest, across ? monitor.right() : monitor.bottom());
            else
                farthest = std::min(farthest, across ? monitor.x : monitor.y);
        }
        if (forward ? farthest >= target : farthest <= target)
            return target;
        const int next = forward ? farthest + 1 : farthest - 1;
        if (!shown(at(next)))
            return farthest;
        last = next;
    }
}
