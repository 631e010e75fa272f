#include "desktop/TSimpleTimer.hpp"

namespace kpf::desktop {

namespace {

// The process-wide handler of all simple timers: only counts, as every timer owns its platform
// timer. Touched on the event-loop thread only.
struct TSimpleTimerHandler {
  int references = 0;
  int running = 0;
};

TSimpleTimerHandler& SharedHandler() {
  static TSimpleTimerHandler handler;
  return handler;
}

}  // namespace

TSimpleTimer::TSimpleTimer(platform::Platform& platform, uint32_t interval, Handler onTimer)
    : platform_(platform), interval_(interval), onTimer_(std::move(onTimer)) {
  ++SharedHandler().references;
}

TSimpleTimer::~TSimpleTimer() {
  if (active_) Stop();
  --SharedHandler().references;
}

int TSimpleTimer::TimerCount() { return SharedHandler().references; }

int TSimpleTimer::RunningCount() { return SharedHandler().running; }

bool TSimpleTimer::Start() {
  if (interval_ == 0) return false;
  if (active_) Stop();
  if (!system_) {
    system_ = platform_.CreateTimer();
    if (!system_) return false;
    system_->SetOnTimer([this] { Tick(); });
  }
  system_->SetInterval(interval_);
  system_->SetEnabled(true);
  active_ = true;
  ++SharedHandler().running;
  return true;
}

bool TSimpleTimer::Stop() {
  active_ = false;
  if (!system_ || !system_->Enabled()) return false;
  system_->SetEnabled(false);
  if (SharedHandler().running > 0) --SharedHandler().running;
  return true;
}

void TSimpleTimer::SetActive(bool active) {
  if (active) {
    Start();
  } else {
    Stop();
  }
}

void TSimpleTimer::SetInterval(uint32_t milliseconds) {
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  if (!active_) return;
  if (interval_ == 0) {
    Stop();
  } else {
    Start();
  }
}

void TSimpleTimer::SetOnTimer(Handler handler) {
  onTimer_ = std::move(handler);
  if (!onTimer_ && active_) Stop();
}

void TSimpleTimer::Tick() {
  if (onTimer_) onTimer_(*this);
}

}  // namespace kpf::desktop
