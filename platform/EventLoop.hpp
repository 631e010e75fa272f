#pragma once
// The user-interface thread's loop. All player work runs inside it; worker threads hand work to
// it and never touch player state themselves.
#include <cstdint>
#include <functional>

namespace kpf::platform {

class EventLoop {
 public:
  virtual ~EventLoop() = default;
  // Queues a task for the loop thread. Safe from any thread.
  virtual void Post(std::function<void()> task) = 0;
  // Runs `task` on the loop thread and waits until it has run. For worker threads only; returns
  // false (without running it) once the loop has stopped or `cancelled` turns true meanwhile.
  virtual bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) = 0;
  // Runs until Quit; returns the exit code.
  virtual int Run() = 0;
  virtual void Quit(int exitCode) = 0;
  // True once Quit has been asked for.
  virtual bool Terminating() const = 0;
  // Waits `milliseconds` while still running queued tasks and timer ticks (nested loop).
  virtual void ProcessEventsFor(uint32_t milliseconds) = 0;
  // Monotonic milliseconds since the loop was made (virtual time on the headless backend).
  virtual int64_t NowMs() const = 0;
};

}  // namespace kpf::platform
