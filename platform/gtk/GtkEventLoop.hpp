#pragma once
// The player's event loop on the GLib main context that GTK dispatches its window events from.
// Tasks handed in from any thread go into one queue that a GLib source of our own drains, one
// task per dispatch; the source may recurse, so a task that waits in ProcessEventsFor (or runs a
// modal dialog) still gets later tasks and timer ticks.
#include <chrono>
#include <cstdint>
#include <functional>

#include "platform/EventLoop.hpp"
#include "platform/TaskQueue.hpp"

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;
typedef struct _GSource GSource;

namespace kpf::platform::gtk {

class GtkEventLoop : public platform::EventLoop {
 public:
  // Attaches to the default main context. The constructing thread is the loop thread until Run
  // is called from another one.
  GtkEventLoop();
  // Queued tasks are dropped unrun; workers waiting in InvokeAndWait are released with false.
  ~GtkEventLoop() override;
  GtkEventLoop(const GtkEventLoop&) = delete;
  GtkEventLoop& operator=(const GtkEventLoop&) = delete;

  // Tasks posted after Quit are dropped.
  void Post(std::function<void()> task) override;
  // Called on the loop thread itself the task runs at once (waiting would never end).
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) override;
  // Runs the main context until Quit. Returns at once with the exit code when Quit came earlier.
  int Run() override;
  // Safe from any thread: ends Run and every nested wait, drops the tasks still queued.
  void Quit(int exitCode) override;
  bool Terminating() const override;
  // Iterates the main context until the time is up; returns early once Quit was asked for.
  void ProcessEventsFor(uint32_t milliseconds) override;
  int64_t NowMs() const override;

 private:
  using Clock = TaskQueue::Clock;
  struct TaskSource;

  const Clock::time_point start_;
  GMainContext* context_ = nullptr;
  GSource* source_ = nullptr;
  // Wakes the main context whenever a task arrives or Quit is asked for.
  TaskQueue tasks_;
};

}  // namespace kpf::platform::gtk
