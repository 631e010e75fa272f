#pragma once
// One action item being performed: the item, the run it belongs to, and its parameters evaluated
// by the action's signature. Action bodies read T/N/C and write variables through this object.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ScriptRunner.hpp"
#include "project/ProjectRecords.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::engine {
class TCustomKPFPlayer;
}

namespace kpf::engine::actions {

// Most parameters a signature evaluates.
constexpr size_t kMaxActionParams = 8;

class ActionCall {
 public:
  ActionCall(TCustomKPFPlayer& player, const project::TTaviScript& script, const project::TKPFExeAction& item,
             int param, RunState& state)
      : player(player), script(script), item(item), param(param), state(state) {}

  TCustomKPFPlayer& player;
  const project::TTaviScript& script;
  const project::TKPFExeAction& item;
  int param;
  RunState& state;
  // Evaluated parameters, by position: texts (T, and R as stored), integers (N, and I as stored),
  // conditions (C).
  std::array<std::string, kMaxActionParams> T;
  std::array<int32_t, kMaxActionParams> N{};
  std::array<bool, kMaxActionParams> C{};

  size_t Count() const { return item.ParamCount(); }
  // The stored text and integer of parameter n; empty and -1 past the item's parameters.
  const std::string& RawText(size_t n) const;
  int32_t RawInt(size_t n) const;
  // The variable at list position `position`; throws (abandoning the action) when there is none.
  project::TTaviVariable& VariableAt(int64_t position) const;
  // Vn: the variable whose position parameter n stores.
  project::TTaviVariable& Variable(size_t n) const { return VariableAt(RawInt(n)); }
  // Vn := value (traced as a "var" line).
  void Set(size_t n, const project::VariantValue& value) const { SetAt(RawInt(n), value); }
  void SetAt(int64_t position, const project::VariantValue& value) const;
  // The trace's "action" line with the parameters as evaluated (signature "*" bodies call it).
  void TraceAction(const std::vector<std::string>& shown) const;
};

}  // namespace kpf::engine::actions
