#include "platform/MonitorLayout.hpp"

#include <limits>

namespace kpf::platform {

namespace {

// Squared distance from a point to the nearest point of a rectangle (0 inside it).
int64_t DistanceSquared(const Rect& rect, int64_t x, int64_t y) {
  const int64_t dx = x < rect.left ? rect.left - x : (x >= rect.right ? x - (rect.right - 1) : 0);
  const int64_t dy = y < rect.top ? rect.top - y : (y >= rect.bottom ? y - (rect.bottom - 1) : 0);
  return dx * dx + dy * dy;
}

int Clamped(int start, int size, int low, int high) {
  if (size >= high - low) return low;
  return std::clamp(start, low, high - size);
}

}  // namespace

std::optional<size_t> MonitorShowingMost(const MonitorLayout& layout, const Rect& window) {
  std::optional<size_t> best;
  int64_t bestArea = 0;
  for (size_t i = 0; i < layout.monitors.size(); ++i) {
    const int64_t area = Area(Intersection(layout.monitors[i].rect, window));
    if (area > bestArea) {
      bestArea = area;
      best = i;
    }
  }
  return best;
}

std::optional<size_t> MonitorHolding(const MonitorLayout& layout, const Rect& window) {
  for (size_t i = 0; i < layout.monitors.size(); ++i) {
    if (Contains(layout.monitors[i].rect, window)) return i;
  }
  return std::nullopt;
}

size_t NearestMonitor(const MonitorLayout& layout, const Rect& window) {
  const int64_t x = (int64_t{window.left} + window.right) / 2;
  const int64_t y = (int64_t{window.top} + window.bottom) / 2;
  size_t best = layout.primary;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (size_t i = 0; i < layout.monitors.size(); ++i) {
    const int64_t distance = DistanceSquared(layout.monitors[i].rect, x, y);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

Point MovedOnto(const Rect& monitor, const Rect& window) {
  return Point{Clamped(window.left, window.width(), monitor.left, monitor.right),
               Clamped(window.top, window.height(), monitor.top, monitor.bottom)};
}

Point PlacedOnMonitor(const MonitorLayout& layout, const Rect& window) {
  const Point unchanged{window.left, window.top};
  if (layout.monitors.empty() || MonitorShowingMost(layout, window)) return unchanged;
  Rect desktop = layout.monitors.front().rect;
  for (const Monitor& monitor : layout.monitors) {
    desktop = Rect{std::min(desktop.left, monitor.rect.left), std::min(desktop.top, monitor.rect.top),
                   std::max(desktop.right, monitor.rect.right), std::max(desktop.bottom, monitor.rect.bottom)};
  }
  if (Area(Intersection(desktop, window)) == 0) return unchanged;
  return MovedOnto(layout.monitors[NearestMonitor(layout, window)].rect, window);
}

}  // namespace kpf::platform
