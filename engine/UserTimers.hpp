#pragma once
// The user timers scripts create (NewTimer), in creation order. A timer's tick runs its script;
// with a repeat count above 0 it stops after that many ticks.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Platform.hpp"

namespace kpf::engine {

struct UserTimer {
  int32_t index = 0;
  int32_t scriptId = -1;
  std::unique_ptr<platform::Timer> timer;
  bool enabled = false;
  uint32_t periodMs = 0;    // 0: the timer never ticks
  int32_t repeatCount = 0;  // 0 or less: unlimited
  int32_t fireCount = 0;
};

// Most user timers one player keeps: each holds a platform timer (a worker thread of its own),
// so a script that makes timers in a loop must not exhaust the process.
constexpr size_t kMaxUserTimers = 256;

class UserTimers {
 public:
  // `onTick` receives the timer's position in the list.
  using TickHandler = std::function<void(size_t index)>;

  // Appends an enabled timer ticking every `periodMs`; returns its index, or -1 (nothing made)
  // once kMaxUserTimers exist.
  int32_t Create(platform::Platform& platform, int32_t scriptId, uint32_t periodMs, int32_t repeatCount,
                 TickHandler onTick);
  UserTimer* At(int64_t index);
  size_t size() const { return timers_.size(); }
  void SetEnabled(UserTimer& timer, bool enabled);
  void Change(UserTimer& timer, int32_t scriptId, uint32_t periodMs, int32_t repeatCount);
  bool AnyEnabled() const;
  void PauseAll();
  // Disables every timer and empties the list. The timer objects are kept until ReleaseRetired,
  // because the tick that asked for this may still be running inside one of them.
  void RetireAll();
  void ReleaseRetired() { retired_.clear(); }

 private:
  std::vector<UserTimer> timers_;
  std::vector<std::unique_ptr<platform::Timer>> retired_;
};

// Longest user-timer period.
constexpr uint32_t kMaxUserTimerPeriodMs = 0x7FFFFFFF;

// Timer period from a script value in units of 10 ms: 0 (no ticks) for a value of 0 or less,
// else at most kMaxUserTimerPeriodMs.
uint32_t UserTimerPeriodMs(int64_t units);

}  // namespace kpf::engine
