// Web addresses, documents and programs: all go through the player's document launcher, which
// opens only what the rules for untrusted characters allow and asks before opening a file.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int OpenWebAddress(ActionCall& call) {
  if (IsWebAddressText(call.T[0])) call.player.OpenWebAddress(call.T[0]);
  return kResultNext;
}

int RunProgram(ActionCall& call) {
  call.player.OpenDocument(call.T[0], call.T[1]);
  return kResultNext;
}

// The variable's upper-case name and its value, unencoded, as a query field of the address.
int OpenAddressWithVariable(ActionCall& call) {
  const project::TTaviVariable& variable = call.Variable(0);
  const std::string& address = call.T[1];
  const char separator = address.find('?') != std::string::npos ? '&' : '?';
  call.player.OpenWebAddress(address + separator + project::UpperName(variable.Name) + "=" + variable.AsString());
  return kResultNext;
}

constexpr ActionEntry kEntries[] = {
    {0, "T", OpenWebAddress}, {15, "TT", RunProgram}, {23, "IT", OpenAddressWithVariable},
};

}  // namespace

std::span<const ActionEntry> OpenActions() { return kEntries; }

}  // namespace kpf::engine::actions
