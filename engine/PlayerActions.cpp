// The action executor: looks the item's code up in the action table, evaluates its parameters by
// the entry's signature, traces it and runs the family's body. Codes no family performs do
// nothing.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionTable.hpp"

namespace kpf::engine {

namespace {

// Evaluates the parameters the signature names into `call`; returns them as the trace shows them
// when `shown` is set.
void EvaluateParameters(std::string_view signature, actions::ActionCall& call, script::TextEvaluator& evaluation,
                        std::vector<std::string>* shown) {
  for (size_t n = 0; n < signature.size() && n < actions::kMaxActionParams; ++n) {
    const char letter = signature[n];
    switch (letter) {
      case 'T': call.T[n] = evaluation.EvaluateText(call.RawText(n)); break;
      case 'N': call.N[n] = evaluation.EvaluateInteger(call.RawText(n)); break;
      case 'C': call.C[n] = evaluation.EvaluateCondition(call.RawText(n)); break;
      case 'R': call.T[n] = call.RawText(n); break;
      case 'I': call.N[n] = call.RawInt(n); break;
      default: break;
    }
    if (shown == nullptr) continue;
    switch (letter) {
      case 'T': case 'R': shown->push_back(call.T[n]); break;
      case 'C': shown->push_back(call.C[n] ? "true" : "false"); break;
      case 'N': case 'I': shown->push_back(std::to_string(call.N[n])); break;
      default: shown->push_back(call.RawText(n)); break;
    }
  }
}

}  // namespace

int TCustomKPFPlayer::ExecuteAction(const project::TTaviScript& script, const project::TKPFExeAction& item,
                                    int param, RunState& state) {
  actions::ActionCall call(*this, script, item, param, state);
  const actions::ActionEntry* entry = actions::StandardActions().Find(item.ActionType);
  if (entry != nullptr && entry->signature == "*") return entry->body(call);
  // The evaluated parameters are written out only for a trace: a run without one pays nothing.
  std::vector<std::string> shown;
  std::vector<std::string>* traced = Tracing() ? &shown : nullptr;
  // Actions without parameters to evaluate show what is stored.
  if (entry != nullptr && !entry->signature.empty()) EvaluateParameters(entry->signature, call, evaluation_, traced);
  else if (traced != nullptr) shown.assign(item.ParamText.begin(), item.ParamText.end());
  call.TraceAction(shown);
  return entry != nullptr ? entry->body(call) : kResultNext;
}

void TCustomKPFPlayer::RequestExit() {
  if (stopFlag_) return;
  Trace(Line("exit"));
  std::weak_ptr<bool> alive = alive_;
  platform_.Loop().Post([this, alive] {
    if (auto flag = alive.lock(); flag && *flag) {
      if (OnExitRequested) OnExitRequested();
      else platform_.Loop().Quit(0);
    }
  });
}

int32_t TCustomKPFPlayer::CreateUserTimer(int32_t scriptId, uint32_t periodMs, int32_t repeatCount) {
  std::weak_ptr<bool> alive = alive_;
  const int32_t index = timers_.Create(platform_, scriptId, periodMs, repeatCount, [this, alive](size_t position) {
    if (auto flag = alive.lock(); flag && *flag) TimerFired(position);
  });
  Trace(Line("timer-new").Int("index", index).Int("script", scriptId).Int("ms", periodMs).Int("repeat", repeatCount));
  return index;
}

void TCustomKPFPlayer::TimerFired(size_t position) {
  UserTimer* timer = timers_.At(static_cast<int64_t>(position));
  if (timer == nullptr || !timer->enabled) return;
  BusyScope busy(*this);
  const int32_t index = timer->index;
  const int32_t scriptId = timer->scriptId;
  Trace(Line("timer").Int("index", index));
  TriggerContext context = context_;
  context.firstName.clear();
  context.secondName.clear();
  FireScript(scriptId, context);
  timer = timers_.At(static_cast<int64_t>(position));  // the script may have closed the player
  if (timer == nullptr || timer->index != index) return;
  if (timer->repeatCount > 0) {
    ++timer->fireCount;
    if (timer->fireCount >= timer->repeatCount) timers_.SetEnabled(*timer, false);
  }
}

}  // namespace kpf::engine
