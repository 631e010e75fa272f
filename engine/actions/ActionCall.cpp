#include "engine/actions/ActionCall.hpp"

#include "engine/TCustomKPFPlayer.hpp"
#include "project/Errors.hpp"

namespace kpf::engine::actions {

namespace {
const std::string kNoText;
}

const std::string& ActionCall::RawText(size_t n) const { return n < Count() ? item.ParamText[n] : kNoText; }

int32_t ActionCall::RawInt(size_t n) const { return n < Count() ? item.ParamInt[n] : -1; }

project::TTaviVariable& ActionCall::VariableAt(int64_t position) const {
  auto& variables = player.Model.Variables;
  // Every position outside the list, not only -1, names no variable: the action is abandoned.
  if (position < 0 || static_cast<uint64_t>(position) >= variables.size()) {
    throw project::KpfError("no variable at this position");
  }
  return variables[static_cast<size_t>(position)];
}

void ActionCall::SetAt(int64_t position, const project::VariantValue& value) const {
  project::TTaviVariable& target = VariableAt(position);
  const size_t bytes = value.TextBytes();
  if (bytes > kMaxScriptTextBytes) throw project::KpfError("text too long");
  const size_t held = target.Value.TextBytes();
  if (bytes > held) player.EnsureRoomFor(bytes - held);
  target.SetValue(value);
  if (player.Tracing()) player.Trace(player.Line("var").Text("name", target.Name).Text("value", target.Value.ToText()));
}

void ActionCall::TraceAction(const std::vector<std::string>& shown) const {
  if (!player.Tracing()) return;
  player.Trace(player.Line("action").Int("type", item.ActionType).Text("name", item.Name).Texts("params", shown));
}

}  // namespace kpf::engine::actions
