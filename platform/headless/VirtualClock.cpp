#include "platform/headless/VirtualClock.hpp"

#include <algorithm>

namespace kpf::platform::headless {

void VirtualClock::MoveTo(int64_t time) {
  if (time > now_.load()) now_ = time;
}

std::shared_ptr<VirtualClock::TimerSlot> VirtualClock::AddTimer() {
  auto slot = std::make_shared<TimerSlot>();
  slot->id = nextId_++;
  slots_.push_back(slot);
  return slot;
}

void VirtualClock::RemoveTimer(const std::shared_ptr<TimerSlot>& slot) {
  slot->dead = true;
  slot->enabled = false;
  slot->due.reset();
  Sweep();
}

bool VirtualClock::Runnable(const TimerSlot& slot) {
  return !slot.dead && slot.enabled && (slot.interval > 0 || slot.allowZero);
}

void VirtualClock::Restart(TimerSlot& slot) {
  slot.due.reset();
  if (slot.busy || !Runnable(slot)) return;  // a busy timer is rescheduled when its tick returns
  slot.due = Now() + std::max(slot.interval, kMinimumZeroInterval);
}

std::shared_ptr<VirtualClock::TimerSlot> VirtualClock::EarliestDue() const {
  std::shared_ptr<TimerSlot> earliest;
  for (const auto& slot : slots_) {
    if (slot->busy || slot->dead || !slot->due) continue;
    // Slots are in creation order, so the strict comparison keeps the older timer on a tie.
    if (!earliest || *slot->due < *earliest->due) earliest = slot;
  }
  return earliest;
}

std::optional<int64_t> VirtualClock::NextDue() const {
  const auto earliest = EarliestDue();
  if (!earliest) return std::nullopt;
  return earliest->due;
}

bool VirtualClock::FireNextDue(int64_t limit) {
  const std::shared_ptr<TimerSlot> slot = EarliestDue();
  if (!slot || *slot->due > limit) return false;
  MoveTo(*slot->due);
  slot->due.reset();
  slot->busy = true;
  // A copy: the handler may replace itself or destroy its timer while it runs.
  const std::function<void()> handler = slot->onTimer;
  if (handler) {
    try {
      handler();
    } catch (...) {
      // A failing handler ends this tick only; later ticks still come.
    }
  }
  slot->busy = false;
  if (slot->dead) {
    Sweep();
  } else {
    Restart(*slot);
  }
  return true;
}

void VirtualClock::Sweep() {
  std::erase_if(slots_, [](const auto& slot) { return slot->dead && !slot->busy; });
}

}  // namespace kpf::platform::headless
