#include "platform/posix/PosixEventLoop.hpp"

#include <utility>

#include "platform/PendingInvocation.hpp"

namespace kpf::platform::posix {

PosixEventLoop::PosixEventLoop() : start_(Clock::now()), loopThread_(std::this_thread::get_id()) {}

PosixEventLoop::~PosixEventLoop() {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    terminating_ = true;
    dropped.swap(queue_);
  }
  // Destroying the closures outside the lock: their destructors may release waiting workers.
}

void PosixEventLoop::Post(std::function<void()> task) { Enqueue(std::move(task)); }

bool PosixEventLoop::Enqueue(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (!terminating_) {
      queue_.push_back(std::move(task));
      wake_.notify_one();
      return true;
    }
  }
  return false;  // `task` is destroyed here, outside the lock
}

bool PosixEventLoop::InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
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

int PosixEventLoop::Run() {
  {
    std::lock_guard lock(mutex_);
    loopThread_ = std::this_thread::get_id();
  }
  while (RunOne(nullptr)) {
  }
  std::lock_guard lock(mutex_);
  return exitCode_;
}

void PosixEventLoop::Quit(int exitCode) {
  std::deque<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    if (!terminating_) exitCode_ = exitCode;
    terminating_ = true;
    dropped.swap(queue_);
    wake_.notify_all();
  }
}

bool PosixEventLoop::Terminating() const {
  std::lock_guard lock(mutex_);
  return terminating_;
}

void PosixEventLoop::ProcessEventsFor(uint32_t milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Clock::now() < deadline && RunOne(&deadline)) {
  }
}

int64_t PosixEventLoop::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_).count();
}

bool PosixEventLoop::RunOne(const Clock::time_point* deadline) {
  std::function<void()> task;
  {
    std::unique_lock lock(mutex_);
    auto ready = [this] { return terminating_ || !queue_.empty(); };
    if (deadline == nullptr) {
      wake_.wait(lock, ready);
    } else if (!wake_.wait_until(lock, *deadline, ready)) {
      return true;  // deadline reached without work
    }
    if (terminating_) return false;
    task = std::move(queue_.front());
    queue_.pop_front();
  }
  RunGuarded(task);
  return true;
}

void PosixEventLoop::RunGuarded(const std::function<void()>& task) {
  // A failing task must not end the loop that every other part of the player depends on, and
  // there is nobody to report it to.
  try {
    task();
  } catch (...) {
  }
}

}  // namespace kpf::platform::posix
