#pragma once

#include "core/pickgeometry.h"

#include <vector>

// The monitors that show the screen, as the platform reports them, and where on them a pick
// may go: the screen may hold pixels that no monitor shows, and neither the framed pixel nor
// the loupe belongs there.
class MonitorLayout
{
public:
    // Monitors are clipped to the screen. None, or none with any area left, means the whole
    // screen is one monitor.
    explicit MonitorLayout(const ScreenRect &screen, std::vector<ScreenRect> monitors = {});

    const ScreenRect &screen() const { return m_screen; }

    // The monitor that holds point, else the nearest one.
    const ScreenRect &monitorAt(ScreenPoint point) const;
    // Point itself where a monitor shows it, else the nearest pixel one does.
    ScreenPoint nearest(ScreenPoint point) const;
    // A step of the arrow keys: onto a monitor that touches this one, but never past the last
    // pixel a monitor shows.
    ScreenPoint moved(ScreenPoint from, int dx, int dy) const;
    // PickGeometry::loupePosition on the monitor under the cursor, or, where that one is
    // too small for the loupe, on the nearest one that holds it whole.
    ScreenPoint loupePosition(ScreenPoint cursor, int width, int height, int gap) const;

private:
    template<typename Accepts> const ScreenRect *closest(ScreenPoint point, Accepts accepts) const;
    bool shown(ScreenPoint point) const;
    int reach(ScreenPoint from, int dx, int dy) const;

    ScreenRect m_screen;
    std::vector<ScreenRect> m_monitors;
};
