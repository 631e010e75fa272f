// The action executor: evaluates an item's parameters by the action's signature, traces it and
// performs the core actions (flow, variables, texts, arrays, timers, animation choice) and the
// character actions (hint, sounds, visibility, popup menu). Actions of the other families
// (drawing, windows, dialogs, files, registry, streams, internet) are accepted and do nothing yet.
#include <array>

#include "engine/TCustomKPFPlayer.hpp"
#include "engine/TextActions.hpp"
#include "project/Errors.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::engine {

namespace {

// Parameter letters: T text, N integer expression, C condition, R stored text, I stored integer
// (stored bytes read as integers too).
const char* Signature(int32_t type) {
  switch (type) {
    case 1: case 83: return "T";
    case 2: return "TNNN";
    case 19: return "RI";
    case 4: return "N";
    case 14: return "R";
    case 20: return "I";
    case 21: case 153: return "IT";
    case 22: case 152: return "IN";
    case 27: case 30: return "C";
    case 41: return "TNNI";
    case 42: case 43: return "TNI";
    case 44: case 69: return "TTI";
    case 65: case 100: case 106: case 107: return "TI";
    case 84: case 87: return "TN";
    case 85: case 88: return "TNI";
    case 86: return "TNN";
    case 89: return "TNT";
    case 90: return "NI";
    case 114: case 115: case 120: case 121: case 154: return "II";
    case 116: case 119: return "IINN";
    case 117: case 118: case 156: case 173: return "I";
    case 148: return "ITTT";
    case 210: return "IT";
    default: return nullptr;
  }
}

struct Args {
  std::array<std::string, 4> text;
  std::array<int32_t, 4> num{};
  std::array<bool, 4> cond{};
  std::vector<std::string> shown;
};

}  // namespace

int TCustomKPFPlayer::ExecuteAction(const project::TTaviScript&, const project::TKPFExeAction& item,
                                    int, RunState& state) {
  const int32_t type = item.ActionType;
  const size_t count = item.ParamCount();
  auto rawText = [&](size_t n) { return n < count ? item.ParamText[n] : std::string(); };
  auto rawInt = [&](size_t n) { return n < count ? item.ParamInt[n] : -1; };
  auto variable = [&](int32_t position) -> project::TTaviVariable& {
    if (position < 0 || static_cast<size_t>(position) >= Model.Variables.size()) {
      throw project::KpfError("no variable at this position");
    }
    return Model.Variables[static_cast<size_t>(position)];
  };
  auto setVar = [&](int32_t position, const project::VariantValue& value) {
    project::TTaviVariable& target = variable(position);
    target.SetValue(value);
    if (trace_) Trace(Line("var").Text("name", target.Name).Text("value", target.Value.ToText()));
  };

  // The evaluated parameters are written out only for the trace: a run without one pays nothing.
  const bool tracing = Tracing();
  Args args;
  if (type == kActionFor) {
    // The end and step are evaluated on every pass, the start only when the loop begins.
    args.num[2] = evaluation_.EvaluateInteger(rawText(2));
    args.num[3] = evaluation_.EvaluateInteger(rawText(3));
    const bool started = state.forStarted[static_cast<size_t>(state.position)] != 0;
    if (!started) args.num[1] = evaluation_.EvaluateInteger(rawText(1));
    if (tracing) {
      args.shown = {std::to_string(rawInt(0)), started ? std::string() : std::to_string(args.num[1]),
                    std::to_string(args.num[2]), std::to_string(args.num[3])};
    }
  } else if (const char* signature = Signature(type)) {
    for (size_t n = 0; signature[n] != '\0'; ++n) {
      switch (signature[n]) {
        case 'T': args.text[n] = evaluation_.EvaluateText(rawText(n)); break;
        case 'N': args.num[n] = evaluation_.EvaluateInteger(rawText(n)); break;
        case 'C': args.cond[n] = evaluation_.EvaluateCondition(rawText(n)); break;
        case 'R': args.text[n] = rawText(n); break;
        default: args.num[n] = rawInt(n); break;
      }
      if (!tracing) continue;
      switch (signature[n]) {
        case 'T': case 'R': args.shown.push_back(args.text[n]); break;
        case 'C': args.shown.push_back(args.cond[n] ? "true" : "false"); break;
        default: args.shown.push_back(std::to_string(args.num[n])); break;
      }
    }
  } else if (tracing) {
    args.shown.assign(item.ParamText.begin(), item.ParamText.end());
  }
  if (tracing) Trace(Line("action").Int("type", type).Text("name", item.Name).Texts("params", args.shown));

  const auto& T = args.text;
  const auto& N = args.num;
  switch (type) {
    case 1: PlayAnimationByName(T[0]); return kResultNext;
    case 2: ShowSpeechHint(T[0], OffsetPosition(left_, N[1]), OffsetPosition(top_, N[2]), N[3]); return kResultNext;
    case 4: RepaintWindow(); WaitMs(int64_t{N[0]} * 10); return kResultNext;
    case 13:
      if (!stopFlag_) {
        Trace(Line("exit"));
        std::weak_ptr<bool> alive = alive_;
        platform_.Loop().Post([this, alive] {
          if (auto flag = alive.lock(); flag && *flag) {
            if (OnExitRequested) OnExitRequested();
            else platform_.Loop().Quit(0);
          }
        });
      }
      return kResultNext;
    case 14: queue_.clear(); PlayPlayList(T[0]); return kResultNext;
    case 19: PlaySoundNamed(T[0], N[1] + 1); return kResultNext;
    case 20: {
      TriggerContext context = context_;
      context.firstName.clear();
      context.secondName.clear();
      FireScript(N[0], context);
      return kResultNext;
    }
    case 21: case 22: setVar(N[0], type == 21 ? project::VariantValue(T[1]) : project::VariantValue(N[1])); return kResultNext;
    case 27: return args.cond[0] ? kResultIfTrue : kResultIfFalse;
    case 30: return args.cond[0] ? kResultLoopTrue : kResultWhileFalse;
    case 31: case 145: return kResultLoopEnd;
    case 39: return kResultStop;
    case 40: return kResultBreak;
    case 41: setVar(N[3], MidText(T[0], N[1], N[2])); return kResultNext;
    case 42: setVar(N[2], LeftText(T[0], N[1])); return kResultNext;
    case 43: setVar(N[2], RightText(T[0], N[1])); return kResultNext;
    case 44: setVar(N[2], FindText(T[0], T[1])); return kResultNext;
    case 45: StopSounds(); return kResultNext;
    case 65: setVar(N[1], static_cast<int32_t>(T[0].size())); return kResultNext;
    case 69: setVar(N[2], CompareTexts(T[0], T[1])); return kResultNext;
    case 72: if (!IsVisible()) ShowCharacter(); return kResultNext;
    case 73: if (IsVisible()) HideCharacter(); return kResultNext;
    case 74: Mute(); return kResultNext;
    case 75: Unmute(); return kResultNext;
    case 83: RunProjectInstance(T[0]); return kResultNext;
    case 84: case 87: arrays_.Create(T[0], type == 87 ? 1 : 0, N[1]); return kResultNext;
    case 85: case 86: {
      TArrayItem* array = arrays_.Find(T[0]);
      if (array == nullptr || array->ArrayType != 0 || N[1] < 0 || N[1] >= array->Count) return kResultNext;
      if (type == 85) setVar(N[2], array->Values[static_cast<size_t>(N[1])]);
      else array->Values[static_cast<size_t>(N[1])] = N[2];
      return kResultNext;
    }
    case 88: case 89: {
      TArrayItem* array = arrays_.Find(T[0]);
      if (array == nullptr) throw project::KpfError("no such array");
      if (array->ArrayType != 1) throw project::KpfError("Text array can only contain text");
      if (N[1] < 0 || N[1] >= array->Count) throw project::KpfError("List index out of bounds");
      if (type == 88) setVar(N[2], array->Items[static_cast<size_t>(N[1])]);
      else array->Items[static_cast<size_t>(N[1])] = T[2];
      return kResultNext;
    }
    case 90: setVar(N[1], script::RandomBelow(randomRange_, N[0])); return kResultNext;
    case 91: case 92: case 93: PlayAnimation(type - 91, 0, -1); return kResultNext;
    case 99: queue_.clear(); return kResultNext;
    case 100: {
      if (T[0].empty()) return kResultNext;
      const std::optional<int32_t> handle = LoadCharacter(T[0]);
      if (handle && count >= 2) setVar(N[1], *handle);
      return kResultNext;
    }
    case 106: setVar(N[1], UpperText(T[0])); return kResultNext;
    case 107: setVar(N[1], LowerText(T[0])); return kResultNext;
    case 114: setVar(N[1], std::to_string(variable(N[0]).AsInteger())); return kResultNext;
    case 115: setVar(N[1], project::ConvertToInteger(variable(N[0]).AsString())); return kResultNext;
    case 116: {
      std::weak_ptr<bool> alive = alive_;
      const int32_t index = timers_.Create(platform_, N[1], UserTimerPeriodMs(N[2]), N[3], [this, alive](size_t position) {
        if (auto flag = alive.lock(); flag && *flag) TimerFired(position);
      });
      Trace(Line("timer-new").Int("index", index).Int("script", N[1]).Int("ms", UserTimerPeriodMs(N[2])).Int("repeat", N[3]));
      setVar(N[0], index);
      return kResultNext;
    }
    case 117: case 118: case 119: case 120: case 121: {
      const int64_t position = variable(type >= 120 ? N[1] : N[0]).AsInteger();
      UserTimer* timer = timers_.At(position);
      if (timer == nullptr) return kResultNext;
      if (type == 117 || type == 118) timers_.SetEnabled(*timer, type == 118);
      if (type == 119) timers_.Change(*timer, N[1], UserTimerPeriodMs(N[2]), N[3]);
      if (type == 120) setVar(N[0], timer->fireCount);
      if (type == 121) setVar(N[0], timer->enabled ? 1 : 0);
      return kResultNext;
    }
    case kActionFor: {
      project::TTaviVariable& loopVariable = variable(rawInt(0));
      uint8_t& started = state.forStarted[static_cast<size_t>(state.position)];
      const int32_t end = N[2];
      const int32_t step = N[3];
      if (started == 0) {
        setVar(rawInt(0), N[1]);
        started = 1;
      } else {
        setVar(rawInt(0), static_cast<int32_t>(int64_t{loopVariable.AsInteger()} + step));
      }
      const int64_t value = loopVariable.AsInteger();
      if ((value >= end && step < 0) || (value <= end && step > 0)) return kResultLoopTrue;
      started = 0;
      return kResultForDone;
    }
    case 148: setVar(N[0], ReplaceText(T[1], T[2], T[3])); return kResultNext;
    case 152: case 153: {
      if (options_.preview) return kResultNext;
      project::TTaviVariable& target = variable(N[0]);
      target.StoredValue = target.Converted(type == 152 ? project::VariantValue(N[1]) : project::VariantValue(T[1]));
      target.StoredChanged = true;
      return kResultNext;
    }
    case 154: SendVariable(variable(N[0]).AsInteger(), variable(N[1])); return kResultNext;
    case 156: setVar(N[0], std::string()); return kResultNext;
    case 173: CloseCharacters(0, variable(N[0]).AsInteger()); return kResultNext;
    case 174: CloseCharacters(OwnHandle(), 0); return kResultNext;
    case 213: PopupMenuAtPointer(); return kResultNext;
    case 210: {
      TArrayItem* array = arrays_.Find(T[1]);
      if (array == nullptr) throw project::KpfError("no such array");
      setVar(N[0], array->Count);
      return kResultNext;
    }
    default: return kResultNext;
  }
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
