#include "engine/PlayerScreens.hpp"

namespace kpf::engine {

namespace {

std::optional<platform::Monitor> Find(const platform::MonitorLayout& layout, const platform::Rect& rect) {
  for (const platform::Monitor& monitor : layout.monitors) {
    if (monitor.rect == rect) return monitor;
  }
  return std::nullopt;
}

}  // namespace

void PlayerScreens::Refresh() { current_ = platform_.Monitors(); }

const platform::MonitorLayout& PlayerScreens::Current() {
  if (!current_) Refresh();
  return *current_;
}

platform::Monitor PlayerScreens::Home() {
  const platform::MonitorLayout& layout = Current();
  if (home_) {
    if (const std::optional<platform::Monitor> found = Find(layout, *home_)) return *found;
  }
  // Until the character moves to another monitor it lives on the one that is the screen now. A
  // monitor that went away is forgotten by HomeLost, which also moves the character.
  if (!home_) home_ = layout.Primary().rect;
  return layout.Primary();
}

void PlayerScreens::Moved(const platform::Rect& window, Move how) {
  if (how == Move::Step) return;
  const platform::MonitorLayout& layout = Current();
  const std::optional<size_t> monitor =
      how == Move::Drag ? platform::MonitorShowingMost(layout, window) : platform::MonitorHolding(layout, window);
  if (monitor) home_ = layout.monitors[*monitor].rect;
}

platform::Point PlayerScreens::Placed(const platform::Rect& window) {
  return platform::PlacedOnMonitor(Current(), window);
}

std::optional<platform::Point> PlayerScreens::HomeLost(const platform::Rect& window) {
  const platform::MonitorLayout& layout = Current();
  if (!home_) {
    home_ = layout.Primary().rect;
    return std::nullopt;
  }
  if (Find(layout, *home_)) return std::nullopt;
  const platform::Monitor primary = layout.Primary();
  home_ = primary.rect;
  return platform::MovedOnto(primary.rect, window);
}

bool PlayerScreens::LayoutChanged() {
  const platform::MonitorLayout& layout = Current();
  if (seen_ && *seen_ == layout) return false;
  const bool changed = seen_.has_value();
  before_ = std::move(seen_);
  seen_ = layout;
  return changed;
}

std::optional<platform::Point> PlayerScreens::Rescued(const platform::Rect& window) const {
  if (!seen_ || !before_) return std::nullopt;
  if (platform::MonitorShowingMost(*seen_, window) || !platform::MonitorShowingMost(*before_, window)) return std::nullopt;
  return platform::MovedOnto(seen_->Primary().rect, window);
}

}  // namespace kpf::engine
