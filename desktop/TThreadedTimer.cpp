#include "desktop/TThreadedTimer.hpp"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace kpf::desktop {

// State shared by the timer, its worker and the ticks queued on the loop. The worker's part is
// guarded by `mutex`; the loop part is touched on the loop thread only.
struct TThreadedTimer::Shared {
  // Worker part.
  std::mutex mutex;
  std::condition_variable wake;
  bool running = false;       // enabled with a usable interval
  uint32_t interval = 1000;
  uint64_t generation = 0;    // grows with every restart of the wait
  std::atomic<bool> terminate{false};

  // Loop part.
  bool enabled = false;
  uint32_t loopInterval = 1000;
  bool allowZero = false;
  std::function<void()> onTimer;
  bool destroyed = false;
  int ticksOnStack = 0;       // > 0 while a tick of this timer runs (nested ticks included)
};

TThreadedTimer::TThreadedTimer(platform::EventLoop& loop) : shared_(std::make_shared<Shared>()) {
  worker_ = std::thread(WorkerLoop, shared_, std::ref(loop));
}

TThreadedTimer::~TThreadedTimer() {
  shared_->destroyed = true;
  shared_->enabled = false;
  {
    std::lock_guard lock(shared_->mutex);
    shared_->terminate = true;
    shared_->wake.notify_all();
  }
  if (shared_->ticksOnStack > 0) {
    // The worker waits for a tick that is still on our stack; joining would never return.
    worker_.detach();
  } else {
    worker_.join();
  }
}

void TThreadedTimer::SetEnabled(bool enabled) {
  if (shared_->enabled == enabled) return;
  shared_->enabled = enabled;
  Restart();
}

bool TThreadedTimer::Enabled() const { return shared_->enabled; }

void TThreadedTimer::SetInterval(uint32_t milliseconds) {
  if (shared_->loopInterval == milliseconds) return;
  shared_->loopInterval = milliseconds;
  if (shared_->enabled) Restart();
}

uint32_t TThreadedTimer::Interval() const { return shared_->loopInterval; }

void TThreadedTimer::SetAllowZero(bool allow) {
  if (shared_->allowZero == allow) return;
  shared_->allowZero = allow;
  // Only a zero interval is affected; the running state follows at once, without restarting
  // the wait of a timer whose interval is not zero.
  if (shared_->enabled && shared_->loopInterval == 0) Restart();
}

bool TThreadedTimer::AllowZero() const { return shared_->allowZero; }

void TThreadedTimer::SetOnTimer(std::function<void()> handler) { shared_->onTimer = std::move(handler); }

void TThreadedTimer::Restart() {
  std::lock_guard lock(shared_->mutex);
  shared_->running = shared_->enabled && (shared_->loopInterval > 0 || shared_->allowZero);
  shared_->interval = shared_->loopInterval;
  ++shared_->generation;
  shared_->wake.notify_all();
}

void TThreadedTimer::WorkerLoop(std::shared_ptr<Shared> shared, platform::EventLoop& loop) {
  std::unique_lock lock(shared->mutex);
  while (!shared->terminate) {
    const uint64_t generation = shared->generation;
    auto restarted = [&] { return shared->terminate || shared->generation != generation; };
    if (!shared->running) {
      shared->wake.wait(lock, restarted);
      continue;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(shared->interval);
    if (shared->wake.wait_until(lock, deadline, restarted)) continue;

    lock.unlock();
    // The loop is touched only here, while the timer (and so the loop) is alive: a destroyed
    // timer has `terminate` set, which releases this call.
    const bool delivered = loop.InvokeAndWait([shared, generation] { Tick(shared, generation); },
                                              [&shared] { return shared->terminate.load(); });
    lock.lock();
    if (!delivered && !shared->terminate) {
      // The loop has stopped and will run no more ticks; trying again would only spin.
      shared->wake.wait(lock, [&] { return shared->terminate.load(); });
    }
  }
}

void TThreadedTimer::Tick(const std::shared_ptr<Shared>& shared, uint64_t generation) {
  if (shared->destroyed || !shared->enabled || !shared->onTimer) return;
  {
    // A tick that was already on its way when the timer was restarted belongs to the old wait.
    std::lock_guard lock(shared->mutex);
    if (shared->generation != generation) return;
  }
  // A copy: the handler may replace itself or destroy the timer while it runs.
  const std::function<void()> handler = shared->onTimer;
  ++shared->ticksOnStack;
  try {
    handler();
  } catch (...) {
    // The handler's failure ends this tick only; later ticks still come.
  }
  --shared->ticksOnStack;
}

}  // namespace kpf::desktop
