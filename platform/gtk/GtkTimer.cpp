#include "platform/gtk/GtkTimer.hpp"

#include <glib.h>

#include <utility>

namespace kpf::platform::gtk {

struct GtkTimer::State {
  bool enabled = false;
  bool allowZero = false;
  uint32_t interval = 1000;
  bool sharesWakeUps = false;
  std::function<void()> handler;
  GSource* source = nullptr;  // the running wait; null while no ticks are due
};

namespace {

// The GLib source: its ready time is the end of the wait; it holds the timer's state.
struct TimerSource {
  GSource base;
  std::shared_ptr<GtkTimer::State>* state;
};

// The end of the next wait: an interval from now, or for a sharing timer the first grid point of
// its interval after now (at most an interval away, the same for every sharing timer).
int64_t ReadyTimeAfter(const GtkTimer::State& state) {
  const int64_t now = g_get_monotonic_time();
  const int64_t interval = static_cast<int64_t>(state.interval) * 1000;
  if (!state.sharesWakeUps || interval == 0) return now + interval;
  return (now / interval + 1) * interval;
}

void Finalize(GSource* source) {
  auto* timer = reinterpret_cast<TimerSource*>(source);
  delete timer->state;
  timer->state = nullptr;
}

}  // namespace

GtkTimer::GtkTimer() : state_(std::make_shared<State>()) {}

GtkTimer::~GtkTimer() {
  state_->enabled = false;
  Restart();
}

void GtkTimer::SetEnabled(bool enabled) {
  if (enabled == state_->enabled) return;
  state_->enabled = enabled;
  Restart();
}

bool GtkTimer::Enabled() const { return state_->enabled; }

void GtkTimer::SetInterval(uint32_t milliseconds) {
  if (milliseconds == state_->interval) return;
  state_->interval = milliseconds;
  if (state_->enabled) Restart();
}

uint32_t GtkTimer::Interval() const { return state_->interval; }

void GtkTimer::SetAllowZero(bool allow) {
  if (allow == state_->allowZero) return;
  state_->allowZero = allow;
  if (state_->enabled && state_->interval == 0) Restart();
}

void GtkTimer::SetOnTimer(std::function<void()> handler) { state_->handler = std::move(handler); }

void GtkTimer::SetSharesWakeUps(bool shares) {
  if (shares == state_->sharesWakeUps) return;
  state_->sharesWakeUps = shares;
  if (state_->enabled) Restart();
}

void GtkTimer::Restart() {
  State& state = *state_;
  if (state.source != nullptr) {
    g_source_destroy(state.source);
    g_source_unref(state.source);
    state.source = nullptr;
  }
  if (!state.enabled || (state.interval == 0 && !state.allowZero)) return;
  static GSourceFuncs funcs = {nullptr, nullptr, &GtkTimer::Dispatch, &Finalize, nullptr, nullptr};
  GSource* source = g_source_new(&funcs, sizeof(TimerSource));
  reinterpret_cast<TimerSource*>(source)->state = new std::shared_ptr<State>(state_);
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_ready_time(source, ReadyTimeAfter(state));
  g_source_attach(source, g_main_context_default());
  state.source = source;
}

int GtkTimer::Dispatch(GSource* source, int (*)(void*), void*) {
  // Held here: the handler may disable, restart or destroy the timer.
  const std::shared_ptr<State> state = *reinterpret_cast<TimerSource*>(source)->state;
  // Not ready again until this tick has run (a nested loop in the handler must not tick it).
  g_source_set_ready_time(source, -1);
  const std::function<void()> handler = state->handler;
  if (handler) {
    try {
      handler();
    } catch (...) {
      // Exceptions of a tick are dropped; the next tick comes as usual.
    }
  }
  // A timer restarted, stopped or destroyed meanwhile has let go of this source.
  if (state->source == source) g_source_set_ready_time(source, ReadyTimeAfter(*state));
  return G_SOURCE_CONTINUE;
}

}  // namespace kpf::platform::gtk
