#pragma once
// A timer whose interval is measured on the process's timer thread (TTimerThread) and whose
// ticks are handed to the event-loop thread, where the handler runs. It keeps its rhythm while
// the loop thread is busy, and a slow handler stretches the period (ticks never overlap: the next
// interval starts when a tick has run). Many timers share the one timer thread.
//
// All members are called on the loop thread. Destruction is safe while a tick is pending (the
// tick is dropped) and from inside the timer's own tick, also nested. The timer thread may end
// before its timers: they then tick no more.
#include <cstdint>
#include <functional>
#include <memory>

#include "desktop/TTimerThread.hpp"
#include "platform/EventLoop.hpp"
#include "platform/Timer.hpp"

namespace kpf::desktop {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadedTimer : public platform::Timer {
 public:
  // Disabled, interval 1000 ms, zero interval not allowed, no handler; ticks into `loop`, which
  // must outlive the timer.
  TThreadedTimer(TTimerThread& thread, platform::EventLoop& loop);
  ~TThreadedTimer() override;
  TThreadedTimer(const TThreadedTimer&) = delete;
  TThreadedTimer& operator=(const TThreadedTimer&) = delete;

  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetInterval(uint32_t milliseconds) override;
  uint32_t Interval() const override;
  void SetAllowZero(bool allow) override;
  bool AllowZero() const;
  void SetOnTimer(std::function<void()> handler) override;

  // Kept for the property set; the timer thread only waits, so its scheduling priority is not
  // changed (and it is shared by all timers).
  void SetThreadPriority(TThreadPriority priority) { priority_ = priority; }
  TThreadPriority ThreadPriority() const { return priority_; }

 private:
  struct State;

  static void Tick(const std::shared_ptr<State>& state, uint64_t generation);
  // Hands the current settings to the timer thread, which starts a new wait.
  void Restart();

  std::shared_ptr<State> state_;
  TThreadPriority priority_ = TThreadPriority::tpNormal;
};

}  // namespace kpf::desktop
