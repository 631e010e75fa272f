#pragma once
// A periodic timer on a GLib source of the loop's main context, measured by the loop itself: no
// thread, and one wake-up of the loop per tick. Ticks never overlap (a tick that runs a nested
// loop gets no tick of its own meanwhile, other timers keep ticking), a loop that was busy gets
// one late tick rather than several, and the next interval starts when a tick has run, so a slow
// handler stretches the period to interval + handler time (a sharing timer waits for the next
// point of its grid instead).
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Timer.hpp"

typedef struct _GSource GSource;

namespace kpf::platform::gtk {

class GtkTimer : public platform::Timer {
 public:
  // Disabled, interval 1000 ms, zero interval not allowed, no handler.
  GtkTimer();
  ~GtkTimer() override;
  GtkTimer(const GtkTimer&) = delete;
  GtkTimer& operator=(const GtkTimer&) = delete;

  void SetEnabled(bool enabled) override;
  bool Enabled() const override;
  void SetInterval(uint32_t milliseconds) override;
  uint32_t Interval() const override;
  void SetAllowZero(bool allow) override;
  void SetOnTimer(std::function<void()> handler) override;
  void SetSharesWakeUps(bool shares) override;

  // The settings and handler, shared with the GLib source (which may still be dispatching when
  // the timer goes).
  struct State;

 private:
  static int Dispatch(GSource* source, int (*callback)(void*), void* data);
  // Drops the running wait and starts a new one when ticks are due.
  void Restart();

  std::shared_ptr<State> state_;
};

}  // namespace kpf::platform::gtk
