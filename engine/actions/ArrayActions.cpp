// Named script arrays of integers and texts.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "project/Errors.hpp"

namespace kpf::engine::actions {

namespace {

int NewArray(ActionCall& call) {
  call.player.Arrays().Create(call.T[0], call.item.ActionType == 87 ? 1 : 0, call.N[1]);
  return kResultNext;
}

// A missing array, a text array or an index outside it leave everything as it is.
int NumberElement(ActionCall& call) {
  TArrayItem* array = call.player.Arrays().Find(call.T[0]);
  const int32_t index = call.N[1];
  if (array == nullptr || array->ArrayType != 0 || index < 0 || index >= array->Count) return kResultNext;
  int32_t& element = array->Values[static_cast<size_t>(index)];
  if (call.item.ActionType == 85) call.Set(2, element);
  else element = call.N[2];
  return kResultNext;
}

TArrayItem& TextArray(ActionCall& call) {
  TArrayItem* array = call.player.Arrays().Find(call.T[0]);
  if (array == nullptr) throw project::KpfError("no such array");
  if (array->ArrayType != 1) throw project::KpfError("Text array can only contain text");
  if (call.N[1] < 0 || call.N[1] >= array->Count) throw project::KpfError("List index out of bounds");
  return *array;
}

int GetText(ActionCall& call) {
  call.Set(2, TextArray(call).Items[static_cast<size_t>(call.N[1])]);
  return kResultNext;
}

int SetText(ActionCall& call) {
  TArrayItem& array = TextArray(call);
  call.player.EnsureRoomFor(call.T[2].size());
  call.player.Arrays().SetText(array, static_cast<size_t>(call.N[1]), call.T[2]);
  return kResultNext;
}

int Size(ActionCall& call) {
  TArrayItem* array = call.player.Arrays().Find(call.T[1]);
  if (array == nullptr) throw project::KpfError("no such array");
  call.Set(0, array->Count);
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {84, "TN", NewArray},       {85, "TNI", NumberElement}, {86, "TNN", NumberElement}, {87, "TN", NewArray},
    {88, "TNI", GetText},       {89, "TNT", SetText},       {210, "IT", Size},
};

}  // namespace

std::span<const ActionEntry> ArrayActions() { return kEntries; }

}  // namespace kpf::engine::actions
