#pragma once
// An event loop over a plain task queue and the real monotonic clock, for builds and tools that
// have no window system. Timers are not part of it: a worker thread hands work in through
// InvokeAndWait.
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/EventLoop.hpp"
#include "platform/TaskQueue.hpp"

namespace kpf::platform::posix {

class PosixEventLoop : public platform::EventLoop {
 public:
  // The constructing thread is the loop thread until Run is called from another one. Destroying
  // the loop drops queued tasks unrun and releases workers waiting in InvokeAndWait with false.
  PosixEventLoop() : start_(Clock::now()) {}

  // Tasks posted after Quit are dropped.
  void Post(std::function<void()> task) override { tasks_.Enqueue(std::move(task)); }
  // Called on the loop thread itself the task runs at once (waiting would never end).
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) override {
    return tasks_.InvokeAndWait(std::move(task), cancelled);
  }
  // Runs queued tasks until Quit. Returns at once with the exit code when Quit came earlier.
  int Run() override;
  // Ends Run and every nested wait after the current task; drops the tasks still queued.
  void Quit(int exitCode) override { tasks_.Quit(exitCode); }
  bool Terminating() const override { return tasks_.Terminating(); }
  // Runs queued tasks for `milliseconds`; returns early once Quit was asked for.
  void ProcessEventsFor(uint32_t milliseconds) override;
  int64_t NowMs() const override;

 private:
  using Clock = TaskQueue::Clock;

  // Waits for a task until `deadline` (or forever) and runs it. False once terminating.
  bool RunOne(const Clock::time_point* deadline);

  const Clock::time_point start_;
  TaskQueue tasks_;
};

}  // namespace kpf::platform::posix
