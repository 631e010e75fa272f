#pragma once
// The dispatch table of the action executor: every action family registers its codes with the
// signature that says how the parameters are evaluated and the body that performs the action.
//
// Signature letters, one per parameter position: T text (EvaluateText), N integer expression
// (EvaluateInteger), C condition (EvaluateCondition), R stored text, I stored integer (also the
// byte kinds and variable positions), '-' a position the dispatcher leaves alone. An empty
// signature evaluates nothing (the trace shows the stored texts); "*" means the body evaluates
// (and traces) its parameters itself.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/actions/ActionCall.hpp"

namespace kpf::engine::actions {

// Highest action code of the vocabulary; higher codes do nothing.
constexpr int32_t kMaxActionCode = 230;

// Performs the action and returns the runner's result code (ActionResult).
using ActionBody = int (*)(ActionCall& call);

struct ActionEntry {
  int32_t code;
  std::string_view signature;
  ActionBody body;
};

class ActionTable {
 public:
  // Adds a family's entries; a code registered twice keeps the later entry.
  void Add(std::span<const ActionEntry> entries);
  // The entry for `code`, or null for codes that do nothing.
  const ActionEntry* Find(int32_t code) const;

 private:
  std::array<ActionEntry, kMaxActionCode + 1> entries_{};
};

// The table of every family this player performs, built once.
const ActionTable& StandardActions();

}  // namespace kpf::engine::actions
