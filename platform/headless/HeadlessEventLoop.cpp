#include "platform/headless/HeadlessEventLoop.hpp"

#include <utility>

#include "platform/PendingInvocation.hpp"
#include "platform/headless/HeadlessTimer.hpp"

namespace kpf::platform::headless {

HeadlessEventLoop::HeadlessEventLoop() : loopThread_(std::this_thread::get_id()) {}

HeadlessEventLoop::~HeadlessEventLoop() {
  std::deque<std::function<void()>> dropped;
  std::lock_guard lock(mutex_);
  terminating_ = true;
  dropped.swap(queue_);
  // `dropped` is destroyed after the lock is released (declared first): closures may release
  // waiting workers from their destructors.
}

void HeadlessEventLoop::Post(std::function<void()> task) { Enqueue(std::move(task)); }

bool HeadlessEventLoop::Enqueue(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    if (!terminating_) {
      queue_.push_back(std::move(task));
      return true;
    }
  }
  return false;
}

bool HeadlessEventLoop::InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
  if (Terminating()) return false;
  if (std::this_thread::get_id() == loopThread_) {
    if (cancelled && cancelled()) return false;
    RunGuarded(task);
    return true;
  }
  return InvokeThroughQueue(std::move(task), cancelled,
                            [this](std::function<void()> loopTask) { return Enqueue(std::move(loopTask)); });
}

int HeadlessEventLoop::Run() {
  while (!Terminating()) {
    RunPending();
    if (Terminating()) break;
    const std::optional<int64_t> due = clock_->NextDue();
    if (!due) {
      if (PendingTaskCount() == 0) break;  // nothing left to do
      continue;
    }
    if (*due > runLimit_) {
      clock_->MoveTo(runLimit_);
      break;
    }
    clock_->FireNextDue(*due);
  }
  return ExitCode();
}

void HeadlessEventLoop::Quit(int exitCode) {
  std::deque<std::function<void()>> dropped;
  std::lock_guard lock(mutex_);
  if (!terminating_) exitCode_ = exitCode;
  terminating_ = true;
  dropped.swap(queue_);
}

bool HeadlessEventLoop::Terminating() const {
  std::lock_guard lock(mutex_);
  return terminating_;
}

int HeadlessEventLoop::ExitCode() const {
  std::lock_guard lock(mutex_);
  return exitCode_;
}

void HeadlessEventLoop::ProcessEventsFor(uint32_t milliseconds) { AdvanceBy(milliseconds); }

std::unique_ptr<platform::Timer> HeadlessEventLoop::CreateTimer() {
  return std::make_unique<HeadlessTimer>(clock_);
}

void HeadlessEventLoop::AdvanceTo(int64_t time) {
  while (!Terminating()) {
    RunPending();
    if (Terminating() || !clock_->FireNextDue(time)) break;
  }
  // Quitting stops the work, not the clock: code waiting for a virtual time must still see it.
  clock_->MoveTo(time);
}

void HeadlessEventLoop::AdvanceBy(int64_t milliseconds) { AdvanceTo(clock_->Now() + milliseconds); }

void HeadlessEventLoop::RunPending() {
  while (RunOneTask()) {
  }
}

size_t HeadlessEventLoop::PendingTaskCount() const {
  std::lock_guard lock(mutex_);
  return queue_.size();
}

bool HeadlessEventLoop::RunOneTask() {
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

void HeadlessEventLoop::RunGuarded(const std::function<void()>& task) {
  // A failing task must not end the loop; there is nobody to report it to.
  try {
    task();
  } catch (...) {
  }
}

}  // namespace kpf::platform::headless
