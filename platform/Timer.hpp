#pragma once
// A periodic timer whose ticks run on the event-loop (user-interface) thread.
#include <cstdint>
#include <functional>

namespace kpf::platform {

class Timer {
 public:
  virtual ~Timer() = default;
  // Enabling (re)starts the wait: the next tick comes a full interval later. With an interval of
  // 0 ticks only come when zero intervals are allowed.
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  // A changed interval restarts the wait of an enabled timer.
  virtual void SetInterval(uint32_t milliseconds) = 0;
  virtual uint32_t Interval() const = 0;
  virtual void SetAllowZero(bool allow) = 0;
  // Called on each tick while enabled; exceptions it raises are dropped.
  virtual void SetOnTimer(std::function<void()> handler) = 0;
  // A sharing timer ticks on a grid of its interval on the loop's clock instead of an interval
  // after its last tick, so that sharing timers of one interval (one per character) tick in the
  // same wake-up. Its first tick comes within one interval; on average it ticks once an interval.
  // Timers whose ticks are measured (frame durations) do not share. Backends without a wake-up to
  // save may ignore it.
  virtual void SetSharesWakeUps(bool shares) { (void)shares; }
};

}  // namespace kpf::platform
