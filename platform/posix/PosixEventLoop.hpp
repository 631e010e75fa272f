#pragma once
// An event loop over a plain task queue and the real monotonic clock, for builds and tools that
// have no window system. Timers are not part of it: threaded timers hand their ticks in through
// InvokeAndWait.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/EventLoop.hpp"

namespace kpf::platform::posix {

class PosixEventLoop : public platform::EventLoop {
 public:
  // The constructing thread is the loop thread until Run is called from another one.
  PosixEventLoop();
  // Queued tasks are dropped unrun; workers waiting in InvokeAndWait are released with false.
  ~PosixEventLoop() override;
  PosixEventLoop(const PosixEventLoop&) = delete;
  PosixEventLoop& operator=(const PosixEventLoop&) = delete;

  // Tasks posted after Quit are dropped.
  void Post(std::function<void()> task) override;
  // Called on the loop thread itself the task runs at once (waiting would never end).
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) override;
  // Runs queued tasks until Quit. Returns at once with the exit code when Quit came earlier.
  int Run() override;
  // Ends Run and every nested wait after the current task; drops the tasks still queued.
  void Quit(int exitCode) override;
  bool Terminating() const override;
  // Runs queued tasks for `milliseconds`; returns early once Quit was asked for.
  void ProcessEventsFor(uint32_t milliseconds) override;
  int64_t NowMs() const override;

 private:
  using Clock = std::chrono::steady_clock;

  // Waits for a task until `deadline` (or forever) and runs it. False once terminating.
  bool RunOne(const Clock::time_point* deadline);
  bool Enqueue(std::function<void()> task);
  static void RunGuarded(const std::function<void()>& task);

  const Clock::time_point start_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> queue_;
  bool terminating_ = false;
  int exitCode_ = 0;
  std::thread::id loopThread_;
};

}  // namespace kpf::platform::posix
