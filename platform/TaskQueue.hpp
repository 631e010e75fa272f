#pragma once
// The task queue behind the real event loops: tasks handed in from any thread, the quit flag and
// exit code, the loop thread's identity, and the hand-over of InvokeAndWait. A loop drains it on
// its own thread; `wake` is called (under no lock of ours) whenever a task arrives or Quit is
// asked for, so a loop blocked in its own wait can come back and look.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/PendingInvocation.hpp"

namespace kpf::platform {

class TaskQueue {
 public:
  using Clock = std::chrono::steady_clock;

  // The constructing thread is the loop thread until SetLoopThread is called from another one.
  explicit TaskQueue(std::function<void()> wake = {})
      : wake_(std::move(wake)), loopThread_(std::this_thread::get_id()) {}
  // Queued tasks are dropped unrun, which releases workers waiting in InvokeAndWait. The loop
  // is not woken any more: it is going away.
  ~TaskQueue() {
    std::deque<std::function<void()>> dropped;
    {
      std::lock_guard lock(mutex_);
      terminating_ = true;
      dropped.swap(queue_);
    }
    changed_.notify_all();
  }
  TaskQueue(const TaskQueue&) = delete;
  TaskQueue& operator=(const TaskQueue&) = delete;

  // False (and the task dropped) once Quit was asked for.
  bool Enqueue(std::function<void()> task) {
    {
      std::lock_guard lock(mutex_);
      if (terminating_) return false;  // `task` is destroyed outside the lock
      queue_.push_back(std::move(task));
    }
    changed_.notify_one();
    if (wake_) wake_();
    return true;
  }

  // Runs `task` on the loop thread and waits for it; on the loop thread itself it runs at once
  // (waiting there would never end).
  bool InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
    bool onLoopThread = false;
    {
      std::lock_guard lock(mutex_);
      if (terminating_) return false;
      onLoopThread = std::this_thread::get_id() == loopThread_;
    }
    if (onLoopThread) {
      if (cancelled && cancelled()) return false;
      RunGuarded(task);
      return true;
    }
    return InvokeThroughQueue(std::move(task), cancelled,
                              [this](std::function<void()> loopTask) { return Enqueue(std::move(loopTask)); });
  }

  // Runs the oldest task if there is one; false when there was none or the loop is quitting.
  bool RunOne() {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (terminating_ || queue_.empty()) return false;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    RunGuarded(task);
    return true;
  }

  // Waits until a task is queued, the loop quits, or `deadline` (null: no deadline) passes.
  void WaitForWork(const Clock::time_point* deadline) {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return terminating_ || !queue_.empty(); };
    if (deadline == nullptr)
      changed_.wait(lock, ready);
    else
      changed_.wait_until(lock, *deadline, ready);
  }

  bool HasTasks() const { return Count() != 0; }

  size_t Count() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
  }

  // Sets the exit code (the first Quit wins) and drops the tasks still queued.
  void Quit(int exitCode) {
    std::deque<std::function<void()>> dropped;
    {
      std::lock_guard lock(mutex_);
      if (!terminating_) exitCode_ = exitCode;
      terminating_ = true;
      dropped.swap(queue_);
    }
    changed_.notify_all();
    if (wake_) wake_();
    // `dropped` is destroyed here, outside the lock: its closures may release waiting workers.
  }

  bool Terminating() const {
    std::lock_guard lock(mutex_);
    return terminating_;
  }

  int ExitCode() const {
    std::lock_guard lock(mutex_);
    return exitCode_;
  }

  void SetLoopThread() {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
  }

  // A failing task must not end the loop that every other part of the player depends on, and
  // there is nobody to report it to.
  static void RunGuarded(const std::function<void()>& task) {
    try {
      task();
    } catch (...) {
    }
  }

 private:
  const std::function<void()> wake_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  bool terminating_ = false;
  int exitCode_ = 0;
  std::thread::id loopThread_;
};

}  // namespace kpf::platform
