// Control flow (the runner moves by the result codes), Wait, CallScript and Exit.
#include "engine/TCustomKPFPlayer.hpp"
#include "engine/actions/ActionFamilies.hpp"

namespace kpf::engine::actions {

namespace {

int If(ActionCall& call) { return call.C[0] ? kResultIfTrue : kResultIfFalse; }
int While(ActionCall& call) { return call.C[0] ? kResultLoopTrue : kResultWhileFalse; }
int LoopEnd(ActionCall&) { return kResultLoopEnd; }
int Stop(ActionCall&) { return kResultStop; }
int Break(ActionCall&) { return kResultBreak; }

int Wait(ActionCall& call) {
  call.player.RepaintWindow();
  call.player.WaitMs(int64_t{call.N[0]} * 10);
  return kResultNext;
}

int CallScript(ActionCall& call) {
  TriggerContext context = call.player.Context();
  context.firstName.clear();
  context.secondName.clear();
  call.player.FireScript(call.N[0], context);
  return kResultNext;
}

int Exit(ActionCall& call) {
  call.player.RequestExit();
  return kResultNext;
}

// The end and step are evaluated on every pass, the start only when the loop begins. The started
// flag outlives the run (a FOR left by STOP goes on from its variable on the next run).
int For(ActionCall& call) {
  uint8_t& started = call.state.ForStarted();
  script::TextEvaluator& evaluation = call.player.Evaluation();
  const int32_t end = evaluation.EvaluateInteger(call.RawText(2));
  const int32_t step = evaluation.EvaluateInteger(call.RawText(3));
  const int32_t start = started == 0 ? evaluation.EvaluateInteger(call.RawText(1)) : 0;
  if (call.player.Tracing()) {
    call.TraceAction({std::to_string(call.RawInt(0)), started != 0 ? std::string() : std::to_string(start),
                      std::to_string(end), std::to_string(step)});
  }
  project::TTaviVariable& loopVariable = call.Variable(0);
  if (started == 0) {
    call.Set(0, start);
    started = 1;
  } else {
    call.Set(0, static_cast<int32_t>(int64_t{loopVariable.AsInteger()} + step));
  }
  const int64_t value = loopVariable.AsInteger();
  if ((value >= end && step < 0) || (value <= end && step > 0)) return kResultLoopTrue;
  started = 0;
  return kResultForDone;
}

constexpr ActionEntry kEntries[] = {
    {4, "N", Wait},         {13, "", Exit},      {20, "I", CallScript}, {27, "C", If},
    {30, "C", While},       {31, "", LoopEnd},   {39, "", Stop},        {40, "", Break},
    {kActionFor, "*", For}, {kActionNext, "", LoopEnd},
};

}  // namespace

std::span<const ActionEntry> FlowActions() { return kEntries; }

}  // namespace kpf::engine::actions
