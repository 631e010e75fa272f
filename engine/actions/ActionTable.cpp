#include "engine/actions/ActionTable.hpp"

#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

void ActionTable::Add(std::span<const ActionEntry> entries) {
  for (const ActionEntry& entry : entries) {
    if (entry.code >= 0 && entry.code <= kMaxActionCode) entries_[static_cast<size_t>(entry.code)] = entry;
  }
}

const ActionEntry* ActionTable::Find(int32_t code) const {
  if (code < 0 || code > kMaxActionCode) return nullptr;
  const ActionEntry& entry = entries_[static_cast<size_t>(code)];
  return entry.body != nullptr ? &entry : nullptr;
}

const ActionTable& StandardActions() {
  static const ActionTable table = [] {
    ActionTable built;
    built.Add(FlowActions());
    built.Add(VariableActions());
    built.Add(TextActions());
    built.Add(ArrayActions());
    built.Add(TimerActions());
    built.Add(CharacterActions());
    built.Add(InstanceActions());
    built.Add(WindowActions());
    built.Add(TrayActions());
    return built;
  }();
  return table;
}

}  // namespace kpf::engine::actions
