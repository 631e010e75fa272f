#include "platform/headless/HeadlessEventLoop.hpp"

#include <utility>

#include "platform/headless/HeadlessTimer.hpp"

namespace kpf::platform::headless {

HeadlessEventLoop::HeadlessEventLoop() = default;

HeadlessEventLoop::~HeadlessEventLoop() = default;

void HeadlessEventLoop::Post(std::function<void()> task) { tasks_.Enqueue(std::move(task)); }

bool HeadlessEventLoop::InvokeAndWait(std::function<void()> task, const std::function<bool()>& cancelled) {
  return tasks_.InvokeAndWait(std::move(task), cancelled);
}

int HeadlessEventLoop::Run() {
  while (!Terminating()) {
    RunPending();
    if (Terminating()) break;
    const std::optional<int64_t> due = clock_->NextDue();
    if (!due) {
      if (!tasks_.HasTasks()) break;  // nothing left to do
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

void HeadlessEventLoop::Quit(int exitCode) { tasks_.Quit(exitCode); }

bool HeadlessEventLoop::Terminating() const { return tasks_.Terminating(); }

int HeadlessEventLoop::ExitCode() const { return tasks_.ExitCode(); }

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
  while (tasks_.RunOne()) {
  }
}

size_t HeadlessEventLoop::PendingTaskCount() const { return tasks_.Count(); }

}  // namespace kpf::platform::headless
