// User timers: made by NewTimer, addressed by the index a variable holds.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int NewTimer(ActionCall& call) {
  const int32_t index = call.player.CreateUserTimer(call.N[1], UserTimerPeriodMs(call.N[2]), call.N[3]);
  call.Set(0, index);
  return kResultNext;
}

// The timer whose index variable `n` holds; null when it names none.
UserTimer* TimerNamedBy(ActionCall& call, size_t n) {
  return call.player.Timers().At(call.Variable(n).AsInteger());
}

int Enable(ActionCall& call) {
  if (UserTimer* timer = TimerNamedBy(call, 0)) call.player.Timers().SetEnabled(*timer, call.item.ActionType == 118);
  return kResultNext;
}

int Change(ActionCall& call) {
  if (UserTimer* timer = TimerNamedBy(call, 0)) {
    call.player.Timers().Change(*timer, call.N[1], UserTimerPeriodMs(call.N[2]), call.N[3]);
  }
  return kResultNext;
}

int FireCount(ActionCall& call) {
  if (UserTimer* timer = TimerNamedBy(call, 1)) call.Set(0, timer->fireCount);
  return kResultNext;
}

int State(ActionCall& call) {
  if (UserTimer* timer = TimerNamedBy(call, 1)) call.Set(0, timer->enabled ? 1 : 0);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {116, "IINN", NewTimer}, {117, "I", Enable},     {118, "I", Enable},
    {119, "IINN", Change},   {120, "II", FireCount}, {121, "II", State},
};

}  // namespace

std::span<const ActionEntry> TimerActions() { return kEntries; }

}  // namespace kpf::engine::actions
