#pragma once
// An event loop on a virtual clock. NowMs starts at 0 and moves only when the loop is driven:
// AdvanceBy/AdvanceTo, Run, or ProcessEventsFor inside a tick. Posted tasks run at the current
// virtual time before any timer tick; due timers tick in due-time order (ties by creation order),
// each at its exact due time.
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "platform/EventLoop.hpp"
#include "platform/TaskQueue.hpp"
#include "platform/Timer.hpp"
#include "platform/headless/VirtualClock.hpp"

namespace kpf::platform::headless {

class HeadlessEventLoop : public platform::EventLoop {
 public:
  static constexpr int64_t kNoLimit = std::numeric_limits<int64_t>::max();

  // The constructing thread is the loop thread.
  HeadlessEventLoop();
  // Queued tasks are dropped unrun; workers waiting in InvokeAndWait are released with false.
  ~HeadlessEventLoop() override;
  HeadlessEventLoop(const HeadlessEventLoop&) = delete;
  HeadlessEventLoop& operator=(const HeadlessEventLoop&) = delete;

  // Safe from any thread; tasks posted after Quit are dropped.
  void Post(std::function<void()> task) override;
  // From a worker: waits until the loop is driven and has run the task. On the loop thread: runs
  // the task at once.
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) override;
  // Runs tasks and ticks until Quit, until nothing is left to do (no task queued, no timer
  // waiting), or until the next event lies past the run limit (the clock then stands at the
  // limit). Returns the exit code given to Quit, else 0.
  int Run() override;
  // Drops the queued tasks; from then on nothing runs, and driving the loop only moves the clock.
  void Quit(int exitCode) override;
  bool Terminating() const override;
  // Drives the loop nested for `milliseconds` of virtual time (same as AdvanceBy).
  void ProcessEventsFor(uint32_t milliseconds) override;
  int64_t NowMs() const override { return clock_->Now(); }

  std::unique_ptr<platform::Timer> CreateTimer();

  // Runs everything due up to `time` (or `milliseconds` from now) and leaves the clock there.
  // Times in the past run only what is due now.
  void AdvanceTo(int64_t time);
  void AdvanceBy(int64_t milliseconds);
  // Runs the queued tasks at the current time without moving the clock.
  void RunPending();
  // Absolute virtual time at which Run stops; kNoLimit by default.
  void SetRunLimit(int64_t time) { runLimit_ = time; }
  int64_t RunLimit() const { return runLimit_; }

  size_t PendingTaskCount() const;
  // Virtual time of the next timer tick, if any timer waits.
  std::optional<int64_t> NextTimerDue() const { return clock_->NextDue(); }
  int ExitCode() const;

 private:
  std::shared_ptr<VirtualClock> clock_ = std::make_shared<VirtualClock>();
  // The same queue the real loops drain; it never needs waking, as the loop runs only when driven.
  TaskQueue tasks_;
  int64_t runLimit_ = kNoLimit;
};

}  // namespace kpf::platform::headless
