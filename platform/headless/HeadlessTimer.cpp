#include "platform/headless/HeadlessTimer.hpp"

#include <utility>

namespace kpf::platform::headless {

HeadlessTimer::HeadlessTimer(std::shared_ptr<VirtualClock> clock)
    : clock_(std::move(clock)), slot_(clock_->AddTimer()) {}

HeadlessTimer::~HeadlessTimer() { clock_->RemoveTimer(slot_); }

void HeadlessTimer::SetEnabled(bool enabled) {
  if (slot_->enabled == enabled) return;
  slot_->enabled = enabled;
  clock_->Restart(*slot_);
}

void HeadlessTimer::SetInterval(uint32_t milliseconds) {
  if (slot_->interval == milliseconds) return;
  slot_->interval = milliseconds;
  if (slot_->enabled) clock_->Restart(*slot_);
}

void HeadlessTimer::SetAllowZero(bool allow) {
  if (slot_->allowZero == allow) return;
  slot_->allowZero = allow;
  if (slot_->enabled && slot_->interval == 0) clock_->Restart(*slot_);
}

}  // namespace kpf::platform::headless
