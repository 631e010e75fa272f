#pragma once
// A timer that needs no window of its own: the tray icon uses it for click detection, icon
// cycling and pointer polling. Each running timer holds one platform timer; all timers of the
// process are counted by one shared handler (how many exist, how many run), which lives while
// at least one timer exists. Ticks arrive on the event-loop thread with the timer as argument.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Platform.hpp"

namespace kpf::desktop {

class TSimpleTimer {
 public:
  using Handler = std::function<void(TSimpleTimer& timer)>;

  static constexpr uint32_t kDefaultInterval = 1000;

  explicit TSimpleTimer(platform::Platform& platform, uint32_t interval = kDefaultInterval, Handler onTimer = {});
  // Stops a running timer and releases the shared handler.
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  // Fails (false) when Interval is 0 or no platform timer can be had; a running timer is first
  // stopped, so a start always waits a full interval.
  bool Start();
  // Active := false; true when a running platform timer was stopped.
  bool Stop();
  void SetActive(bool active);
  // A changed interval restarts a running timer, or stops it when 0.
  void SetInterval(uint32_t milliseconds);
  // Setting no handler while the timer runs stops it.
  void SetOnTimer(Handler handler);

  bool Active() const { return active_; }
  uint32_t Interval() const { return interval_; }
  // The timer's identity: the object's own address.
  uintptr_t Id() const { return reinterpret_cast<uintptr_t>(this); }

  // The shared handler's counts: timers that exist, and timers whose platform timer runs.
  static int TimerCount();
  static int RunningCount();

 private:
  void Tick();

  platform::Platform& platform_;
  uint32_t interval_;
  Handler onTimer_;
  bool active_ = false;
  std::unique_ptr<platform::Timer> system_;
};

}  // namespace kpf::desktop
