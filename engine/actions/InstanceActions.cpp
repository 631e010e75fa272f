// Other characters: a copy of the player as its own process, further characters of this process,
// variables sent to them, close requests.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int RunProjectInstance(ActionCall& call) {
  call.player.RunProjectInstance(call.T[0]);
  return kResultNext;
}

int LoadCharacter(ActionCall& call) {
  if (call.T[0].empty()) return kResultNext;
  const std::optional<int32_t> handle = call.player.LoadCharacter(call.T[0]);
  if (handle && call.Count() >= 2) call.Set(1, *handle);
  return kResultNext;
}

int SendVariable(ActionCall& call) {
  call.player.SendVariable(call.Variable(0).AsInteger(), call.Variable(1));
  return kResultNext;
}

int CloseCharacter(ActionCall& call) {
  call.player.CloseCharacters(0, call.Variable(0).AsInteger());
  return kResultNext;
}

int CloseChildCharacters(ActionCall& call) {
  call.player.CloseCharacters(call.player.OwnHandle(), 0);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {83, "T", RunProjectInstance}, {100, "TI", LoadCharacter},       {154, "II", SendVariable},
    {173, "I", CloseCharacter},    {174, "", CloseChildCharacters},
};

}  // namespace

std::span<const ActionEntry> InstanceActions() { return kEntries; }

}  // namespace kpf::engine::actions
