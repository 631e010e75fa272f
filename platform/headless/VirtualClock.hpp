#pragma once
// The virtual clock of the headless backend and the timers that run on it. Time moves only when
// the loop is driven (AdvanceBy, Run, ProcessEventsFor), and every tick runs at its exact due
// time, so tests and tools see the same sequence on every run.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kpf::platform::headless {

class VirtualClock {
 public:
  // One timer's state. Timers run ticks one at a time: while `busy` (its handler is on the stack)
  // it is not due, and its next due time is set when the handler returns.
  struct TimerSlot {
    uint64_t id = 0;  // creation order, breaks ties between timers due at the same time
    bool enabled = false;
    uint32_t interval = 1000;
    bool allowZero = false;
    std::function<void()> onTimer;
    std::optional<int64_t> due;
    bool busy = false;
    bool dead = false;
  };

  int64_t Now() const { return now_.load(); }
  // Moves the clock forward to `time` (never backwards) without running anything.
  void MoveTo(int64_t time);

  std::shared_ptr<TimerSlot> AddTimer();
  // The timer is gone: it never ticks again; its slot is dropped once its tick has returned.
  void RemoveTimer(const std::shared_ptr<TimerSlot>& slot);
  // Starts a new wait after Enabled, Interval or AllowZero changed: the next tick comes a full
  // interval from now (or from the end of the running tick).
  void Restart(TimerSlot& slot);

  // Earliest due time among the timers that may tick.
  std::optional<int64_t> NextDue() const;
  // When a timer is due by `limit`: moves the clock to its due time, runs its tick, returns true.
  bool FireNextDue(int64_t limit);

  // A zero interval (allowed) still waits this long, so time always moves between ticks and a
  // zero-interval timer cannot hold the clock at one instant forever.
  static constexpr uint32_t kMinimumZeroInterval = 1;

 private:
  static bool Runnable(const TimerSlot& slot);
  std::shared_ptr<TimerSlot> EarliestDue() const;
  void Sweep();

  std::atomic<int64_t> now_{0};
  std::vector<std::shared_ptr<TimerSlot>> slots_;
  uint64_t nextId_ = 0;
};

}  // namespace kpf::platform::headless
