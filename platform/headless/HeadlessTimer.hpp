#pragma once
// A timer on the virtual clock, with the semantics of the desktop's timer: the next tick comes a
// full interval after enabling or an interval change, and an interval after the previous tick's
// handler returned (after any virtual waits inside it). It may be destroyed at any time, also
// inside its own tick, and may outlive the loop that made it.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Timer.hpp"
#include "platform/headless/VirtualClock.hpp"

namespace kpf::platform::headless {

class HeadlessTimer : public platform::Timer {
 public:
  explicit HeadlessTimer(std::shared_ptr<VirtualClock> clock);
  ~HeadlessTimer() override;
  HeadlessTimer(const HeadlessTimer&) = delete;
  HeadlessTimer& operator=(const HeadlessTimer&) = delete;

  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return slot_->enabled; }
  void SetInterval(uint32_t milliseconds) override;
  uint32_t Interval() const override { return slot_->interval; }
  void SetAllowZero(bool allow) override;
  bool AllowZero() const { return slot_->allowZero; }
  void SetOnTimer(std::function<void()> handler) override { slot_->onTimer = std::move(handler); }

  // Virtual time of the next tick; empty while the timer does not wait (or its tick runs).
  std::optional<int64_t> NextDue() const { return slot_->due; }

 private:
  std::shared_ptr<VirtualClock> clock_;
  std::shared_ptr<VirtualClock::TimerSlot> slot_;
};

}  // namespace kpf::platform::headless
