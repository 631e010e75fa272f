#pragma once
// A periodic timer on a GLib timeout source of the loop's main context: the stand-in used when
// the platform is given no other timer factory. It keeps no worker thread, so unlike the
// threaded timer it loses its rhythm while the loop thread is busy.
#include <cstdint>
#include <functional>

#include "platform/Timer.hpp"

namespace kpf::platform::gtk {

class GtkTimer : public platform::Timer {
 public:
  // Disabled, interval 1000 ms, zero interval not allowed, no handler.
  GtkTimer() = default;
  ~GtkTimer() override;
  GtkTimer(const GtkTimer&) = delete;
  GtkTimer& operator=(const GtkTimer&) = delete;

  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(uint32_t milliseconds) override;
  uint32_t Interval() const override { return interval_; }
  void SetAllowZero(bool allow) override;
  void SetOnTimer(std::function<void()> handler) override { handler_ = std::move(handler); }

 private:
  static int OnTimeout(void* self);
  // Drops the running wait and starts a new one when ticks are due.
  void Restart();
  void Stop();

  bool enabled_ = false;
  bool allowZero_ = false;
  uint32_t interval_ = 1000;
  unsigned sourceId_ = 0;
  std::function<void()> handler_;
};

}  // namespace kpf::platform::gtk
