// Setting variables, number/text conversion, random numbers, stored values.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::engine::actions {

namespace {

int SetText(ActionCall& call) {
  call.Set(0, call.T[1]);
  return kResultNext;
}

int SetNumber(ActionCall& call) {
  call.Set(0, call.N[1]);
  return kResultNext;
}

int RandomNumber(ActionCall& call) {
  call.Set(1, script::RandomBelow(call.player.RandomSource(), call.N[0]));
  return kResultNext;
}

int NumberToText(ActionCall& call) {
  call.Set(1, std::to_string(call.Variable(0).AsInteger()));
  return kResultNext;
}

int TextToNumber(ActionCall& call) {
  call.Set(1, project::ConvertToInteger(call.Variable(0).AsString()));
  return kResultNext;
}

// The value a player copy is saved with; a preview has no package to save into.
int SetStoredValue(ActionCall& call) {
  if (call.player.Options().preview) return kResultNext;
  project::TTaviVariable& target = call.Variable(0);
  const bool number = call.item.ActionType == 152;
  target.StoredValue = target.Converted(number ? project::VariantValue(call.N[1]) : project::VariantValue(call.T[1]));
  target.StoredChanged = true;
  return kResultNext;
}

int ClearVariable(ActionCall& call) {
  call.Set(0, std::string());
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {21, "IT", SetText},         {22, "IN", SetNumber},       {90, "NI", RandomNumber},
    {114, "II", NumberToText},   {115, "II", TextToNumber},   {152, "IN", SetStoredValue},
    {153, "IT", SetStoredValue}, {156, "I", ClearVariable},
};

}  // namespace

std::span<const ActionEntry> VariableActions() { return kEntries; }

}  // namespace kpf::engine::actions
