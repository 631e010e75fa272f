#include "desktop/TThreadedTimer.hpp"

#include <utility>

namespace kpf::desktop {

// The timer's settings and handler, shared with the ticks queued on the loop; touched on the
// loop thread only.
struct TThreadedTimer::State {
  std::shared_ptr<TTimerThread::Slot> slot;
  bool enabled = false;
  uint32_t interval = 1000;
  bool allowZero = false;
  std::function<void()> onTimer;
  bool destroyed = false;
};

TThreadedTimer::TThreadedTimer(TTimerThread& thread, platform::EventLoop& loop) : state_(std::make_shared<State>()) {
  // The slot holds the state weakly: a tick keeps it alive while it runs, the slot never does.
  std::weak_ptr<State> weak = state_;
  state_->slot = thread.Add(loop, [weak](uint64_t generation) {
    if (const std::shared_ptr<State> state = weak.lock()) Tick(state, generation);
  });
}

TThreadedTimer::~TThreadedTimer() {
  state_->destroyed = true;
  state_->enabled = false;
  TTimerThread::Remove(*state_->slot);
}

void TThreadedTimer::SetEnabled(bool enabled) {
  if (state_->enabled == enabled) return;
  state_->enabled = enabled;
  Restart();
}

bool TThreadedTimer::Enabled() const { return state_->enabled; }

void TThreadedTimer::SetInterval(uint32_t milliseconds) {
  if (state_->interval == milliseconds) return;
  state_->interval = milliseconds;
  if (state_->enabled) Restart();
}

uint32_t TThreadedTimer::Interval() const { return state_->interval; }

void TThreadedTimer::SetAllowZero(bool allow) {
  if (state_->allowZero == allow) return;
  state_->allowZero = allow;
  // Only a zero interval is affected; the running state follows at once, without restarting
  // the wait of a timer whose interval is not zero.
  if (state_->enabled && state_->interval == 0) Restart();
}

bool TThreadedTimer::AllowZero() const { return state_->allowZero; }

void TThreadedTimer::SetOnTimer(std::function<void()> handler) { state_->onTimer = std::move(handler); }

void TThreadedTimer::Restart() {
  const bool running = state_->enabled && (state_->interval > 0 || state_->allowZero);
  TTimerThread::Restart(*state_->slot, running, state_->interval);
}

void TThreadedTimer::Tick(const std::shared_ptr<State>& state, uint64_t generation) {
  if (state->destroyed || !state->enabled || !state->onTimer) return;
  // A tick that was already on its way when the timer was restarted belongs to the old wait.
  if (!TTimerThread::Current(*state->slot, generation)) return;
  // A copy: the handler may replace itself or destroy the timer while it runs.
  const std::function<void()> handler = state->onTimer;
  try {
    handler();
  } catch (...) {
    // The handler's failure ends this tick only; later ticks still come.
  }
}

}  // namespace kpf::desktop
