#pragma once
// The monitors of the desktop as value types, and the geometry the player needs of them: which
// monitor shows a window, the nearest monitor to a window no monitor shows, and a window moved
// onto a monitor. Rectangles are in desktop pixels (the coordinates windows are placed in).
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::platform {

struct Monitor {
  Rect rect;
  // The monitor less the room that panels and docks keep for themselves.
  Rect workArea;
  bool operator==(const Monitor&) const = default;
};

// Every monitor in the desktop's order; `primary` indexes the one that counts as the screen.
// A layout handed out by a platform is never empty.
struct MonitorLayout {
  std::vector<Monitor> monitors;
  size_t primary = 0;
  bool operator==(const MonitorLayout&) const = default;

  // The primary monitor; an empty layout answers an empty monitor.
  Monitor Primary() const { return primary < monitors.size() ? monitors[primary] : Monitor{}; }
};

// One monitor that is the whole screen.
inline MonitorLayout SingleMonitor(const Rect& screen, const Rect& workArea) {
  return MonitorLayout{{Monitor{screen, workArea}}, 0};
}

// The layout with monitor `chosen` (an index into its list) as its primary while that monitor
// exists; otherwise the layout as it stands.
inline MonitorLayout WithChosenPrimary(MonitorLayout layout, std::optional<int> chosen) {
  if (chosen && *chosen >= 0 && static_cast<size_t>(*chosen) < layout.monitors.size()) {
    layout.primary = static_cast<size_t>(*chosen);
  }
  return layout;
}

// The common part of two rectangles; empty (zero width or height) when they do not meet.
inline Rect Intersection(const Rect& a, const Rect& b) {
  const Rect common{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
  if (common.right <= common.left || common.bottom <= common.top) return Rect{common.left, common.top, common.left, common.top};
  return common;
}

inline int64_t Area(const Rect& rect) {
  return rect.width() <= 0 || rect.height() <= 0 ? 0 : int64_t{rect.width()} * rect.height();
}

inline bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

// The monitor that shows the largest part of `window`; none when no monitor shows any of it.
std::optional<size_t> MonitorShowingMost(const MonitorLayout& layout, const Rect& window);
// The monitor that holds all of `window`; none when no monitor does.
std::optional<size_t> MonitorHolding(const MonitorLayout& layout, const Rect& window);
// The monitor whose rectangle is closest to the centre of `window` (the first of equals).
size_t NearestMonitor(const MonitorLayout& layout, const Rect& window);
// The top-left corner that puts `window` inside `monitor`, moving it as little as it can; a
// window larger than the monitor keeps its left or top edge on the monitor's.
Point MovedOnto(const Rect& monitor, const Rect& window);
// Where `window` must go so that a monitor shows it: its own corner when a monitor shows part of
// it or when it lies wholly outside the desktop (a window put off the screen on purpose); a
// window in a dead zone between or beside monitors moves onto the nearest one.
Point PlacedOnMonitor(const MonitorLayout& layout, const Rect& window);

}  // namespace kpf::platform
