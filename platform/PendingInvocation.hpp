#pragma once
// The hand-over between a worker thread blocked in EventLoop::InvokeAndWait and the loop thread
// that runs its task. Loops queue the closure made by MakeLoopTask(); when that closure is
// destroyed without having run (loop quit or destroyed), the waiting worker is released with
// false. After the task has run the worker touches only this shared object, never the loop, so a
// loop may go away while a worker is still waking up.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace kpf::platform {

class PendingInvocation : public std::enable_shared_from_this<PendingInvocation> {
 public:
  explicit PendingInvocation(std::function<void()> task) : task_(std::move(task)) {}

  // The closure to queue on the loop. Running it runs the task (unless the waiter gave up);
  // dropping it unrun abandons the invocation.
  std::function<void()> MakeLoopTask() {
    auto ticket = std::make_shared<Ticket>(shared_from_this());
    return [ticket] { ticket->invocation->RunOnLoop(); };
  }

  // Worker side: blocks until the task ran (true), or was abandoned, or `cancelled` turned true
  // while the task had not started (false). A task already running is always waited for.
  bool Wait(const std::function<bool()>& cancelled) {
    std::unique_lock lock(mutex_);
    while (state_ == State::Pending || state_ == State::Running) {
      if (state_ == State::Pending && cancelled && CancelledUnlocked(lock, cancelled)) {
        if (state_ == State::Pending) state_ = State::Abandoned;
        continue;
      }
      // `cancelled` cannot notify us, so it is polled.
      changed_.wait_for(lock, kPollInterval);
    }
    return state_ == State::Done;
  }

 private:
  enum class State { Pending, Running, Done, Abandoned };
  static constexpr std::chrono::milliseconds kPollInterval{5};

  struct Ticket {
    explicit Ticket(std::shared_ptr<PendingInvocation> owner) : invocation(std::move(owner)) {}
    ~Ticket() { invocation->Abandon(); }
    Ticket(const Ticket&) = delete;
    Ticket& operator=(const Ticket&) = delete;
    std::shared_ptr<PendingInvocation> invocation;
  };

  // Calls the predicate without holding the lock: it may take locks of its own.
  bool CancelledUnlocked(std::unique_lock<std::mutex>& lock, const std::function<bool()>& cancelled) {
    lock.unlock();
    const bool result = cancelled();
    lock.lock();
    return result;
  }

  void RunOnLoop() {
    {
      std::lock_guard lock(mutex_);
      if (state_ != State::Pending) return;
      state_ = State::Running;
    }
    struct Finish {
      PendingInvocation& self;
      ~Finish() { self.SetState(State::Done); }
    } finish{*this};
    std::function<void()> task = std::move(task_);
    task();
  }

  void Abandon() {
    std::lock_guard lock(mutex_);
    if (state_ != State::Pending) return;
    state_ = State::Abandoned;
    changed_.notify_all();
  }

  void SetState(State state) {
    std::lock_guard lock(mutex_);
    state_ = state;
    changed_.notify_all();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::Pending;
  std::function<void()> task_;
};

// Queues `task` through `post` and waits for it as EventLoop::InvokeAndWait describes.
inline bool InvokeThroughQueue(std::function<void()> task, const std::function<bool()>& cancelled,
                               const std::function<bool(std::function<void()>)>& post) {
  auto invocation = std::make_shared<PendingInvocation>(std::move(task));
  if (!post(invocation->MakeLoopTask())) return false;
  return invocation->Wait(cancelled);
}

}  // namespace kpf::platform
