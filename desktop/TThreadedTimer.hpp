#pragma once
// A timer that measures its interval on a worker thread of its own and hands each tick to the
// event-loop thread, where the handler runs. It keeps its rhythm while the loop thread is busy,
// and a slow handler stretches the period (ticks never overlap: the worker waits for each tick).
//
// All members are called on the loop thread. Destruction is safe while a tick is pending (the
// tick is dropped and the worker released) and from inside the timer's own tick, also nested: in
// that case the worker cannot be joined (it is waiting for the very tick that runs the
// destructor), so it is detached; it holds only shared state, never the loop or this object, and
// ends as soon as the tick returns.
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/EventLoop.hpp"
#include "platform/Timer.hpp"

namespace kpf::desktop {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThreadedTimer : public platform::Timer {
 public:
  // Disabled, interval 1000 ms, zero interval not allowed, no handler.
  explicit TThreadedTimer(platform::EventLoop& loop);
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

  // Kept for the property set; the worker only waits, so its scheduling priority is not changed.
  void SetThreadPriority(TThreadPriority priority) { priority_ = priority; }
  TThreadPriority ThreadPriority() const { return priority_; }

 private:
  struct Shared;

  static void WorkerLoop(std::shared_ptr<Shared> shared, platform::EventLoop& loop);
  static void Tick(const std::shared_ptr<Shared>& shared, uint64_t generation);
  // Tells the worker the current settings and makes it start a new wait.
  void Restart();

  std::shared_ptr<Shared> shared_;
  std::thread worker_;
  TThreadPriority priority_ = TThreadPriority::tpNormal;
};

}  // namespace kpf::desktop
