#include "engine/UserTimers.hpp"

#include <algorithm>
#include <limits>

namespace kpf::engine {

uint32_t UserTimerPeriodMs(int64_t units) {
  if (units <= 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(units * 10, kMaxUserTimerPeriodMs));
}

int32_t UserTimers::Create(platform::Platform& platform, int32_t scriptId, uint32_t periodMs,
                           int32_t repeatCount, TickHandler onTick) {
  if (timers_.size() >= kMaxUserTimers) return -1;
  UserTimer record;
  record.index = static_cast<int32_t>(timers_.size());
  record.scriptId = scriptId;
  record.repeatCount = repeatCount;
  record.periodMs = periodMs;
  record.timer = platform.CreateTimer();
  const size_t position = timers_.size();
  record.timer->SetOnTimer([onTick = std::move(onTick), position] { onTick(position); });
  if (periodMs > 0) record.timer->SetInterval(periodMs);
  timers_.push_back(std::move(record));
  SetEnabled(timers_.back(), true);
  return timers_.back().index;
}

UserTimer* UserTimers::At(int64_t index) {
  if (index < 0 || static_cast<uint64_t>(index) >= timers_.size()) return nullptr;
  return &timers_[static_cast<size_t>(index)];
}

void UserTimers::SetEnabled(UserTimer& timer, bool enabled) {
  timer.enabled = enabled;
  if (timer.timer) timer.timer->SetEnabled(enabled && timer.periodMs > 0);
}

void UserTimers::Change(UserTimer& timer, int32_t scriptId, uint32_t periodMs, int32_t repeatCount) {
  timer.scriptId = scriptId;
  timer.repeatCount = repeatCount;
  timer.fireCount = 0;
  timer.periodMs = periodMs;
  if (!timer.timer) return;
  if (periodMs > 0) timer.timer->SetInterval(periodMs);
  timer.timer->SetEnabled(timer.enabled && periodMs > 0);
}

bool UserTimers::AnyEnabled() const {
  return std::any_of(timers_.begin(), timers_.end(), [](const UserTimer& t) { return t.enabled; });
}

void UserTimers::PauseAll() {
  for (auto& timer : timers_) {
    if (timer.timer) timer.timer->SetEnabled(false);
  }
}

void UserTimers::RetireAll() {
  for (auto& timer : timers_) {
    if (!timer.timer) continue;
    timer.timer->SetEnabled(false);
    retired_.push_back(std::move(timer.timer));
  }
  timers_.clear();
}

}  // namespace kpf::engine
