#pragma once
// Runs one script's action list: hands each item to the executor and moves by the result code
// (conditions, loops, STOP, BREAK). The run state, including the FOR-started flags, belongs to
// one run, so nested and recursive runs of the same script do not disturb each other.
#include <cstdint>
#include <vector>

#include "project/ProjectRecords.hpp"

namespace kpf::engine {

// Result codes the executor returns to the runner.
enum ActionResult : int {
  kResultNext = 0,
  kResultIfTrue = 1,
  kResultIfFalse = 2,
  kResultLoopTrue = 3,
  kResultWhileFalse = 4,
  kResultLoopEnd = 5,
  kResultStop = 6,
  kResultBreak = 7,
  kResultForDone = 9,
};

// Action codes the runner itself looks at.
enum ControlAction : int32_t {
  kActionIf = 27,
  kActionElse = 28,
  kActionEndIf = 29,
  kActionWhile = 30,
  kActionEndWhile = 31,
  kActionFor = 144,
  kActionNext = 145,
};

struct RunState {
  int32_t position = 0;
  int32_t takenIfCount = 0;
  std::vector<int32_t> loopStack;
  // FOR-started flag per item of this run. Kept per run rather than in the shared action item, so
  // a FOR left by STOP starts afresh on the next run, and a script that runs itself (directly or
  // through a nested event) cannot corrupt the loop of the run it interrupted.
  std::vector<uint8_t> forStarted;
};

class ScriptRunnerHost {
 public:
  virtual ~ScriptRunnerHost() = default;
  // Performs one item; exceptions abandon the item only.
  virtual int ExecuteAction(const project::TTaviScript& script, const project::TKPFExeAction& item,
                            int param, RunState& state) = 0;
  // The player's stop flag, or the loop is ending: the run ends before its next item.
  virtual bool RunMustEnd() = 0;
  // Lets the event loop run briefly (a loop without a wait must not freeze input and Close).
  virtual void YieldToLoop() = 0;
};

// Items run between two yields to the event loop.
constexpr int kItemsPerYield = 1000;

// Runs `script` to its end, a STOP, a failed search for a matching item, or RunMustEnd().
void RunScriptItems(const project::TTaviScript& script, int param, ScriptRunnerHost& host);

// Searches used by the runner; each returns the position of the match or -1.
int32_t FindIfEnd(const std::vector<project::TKPFExeAction>& items, int32_t from);
int32_t FindLoopEnd(const std::vector<project::TKPFExeAction>& items, int32_t from, int32_t head,
                    int32_t end);
int32_t FindEnclosingLoopHead(const std::vector<project::TKPFExeAction>& items, int32_t from);

}  // namespace kpf::engine
