// Text actions over 8-bit texts with 1-based positions.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"
#include "engine/actions/TextOperations.hpp"

namespace kpf::engine::actions {

namespace {

int Mid(ActionCall& call) {
  call.Set(3, MidText(call.T[0], call.N[1], call.N[2]));
  return kResultNext;
}

int Left(ActionCall& call) {
  call.Set(2, LeftText(call.T[0], call.N[1]));
  return kResultNext;
}

int Right(ActionCall& call) {
  call.Set(2, RightText(call.T[0], call.N[1]));
  return kResultNext;
}

int Find(ActionCall& call) {
  call.Set(2, FindText(call.T[0], call.T[1]));
  return kResultNext;
}

int Length(ActionCall& call) {
  call.Set(1, static_cast<int32_t>(call.T[0].size()));
  return kResultNext;
}

int Compare(ActionCall& call) {
  call.Set(2, CompareTexts(call.T[0], call.T[1]));
  return kResultNext;
}

int Upper(ActionCall& call) {
  call.Set(1, UpperText(call.T[0]));
  return kResultNext;
}

int Lower(ActionCall& call) {
  call.Set(1, LowerText(call.T[0]));
  return kResultNext;
}

int Replace(ActionCall& call) {
  call.Set(0, ReplaceText(call.T[1], call.T[2], call.T[3]));
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {41, "TNNI", Mid},   {42, "TNI", Left},   {43, "TNI", Right},    {44, "TTI", Find},
    {65, "TI", Length},  {69, "TTI", Compare}, {106, "TI", Upper},   {107, "TI", Lower},
    {148, "ITTT", Replace},
};

}  // namespace

std::span<const ActionEntry> TextActions() { return kEntries; }

}  // namespace kpf::engine::actions
