#pragma once
// Runs one script's action list: hands each item to the executor and moves by the result code
// (conditions, loops, STOP, BREAK). The FOR-started flags belong to the script and outlive its
// runs (a FOR left by STOP goes on from its variable the next time the script runs); a run that
// starts while another run of the same script is active works on flags of its own, starting
// afresh, so nesting and recursion cannot corrupt the loop of the run they interrupted.
#include <cstdint>
#include <memory>
#include <unordered_map>
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
  // FOR-started flag per item of the script (see ForLoopFlags).
  std::vector<uint8_t>* forStarted = nullptr;

  uint8_t& ForStartedAt(int32_t item) { return (*forStarted)[static_cast<size_t>(item)]; }
  uint8_t& ForStarted() { return ForStartedAt(position); }
};

// The FOR-started flags of every script, kept from one run to the next.
class ForLoopFlags {
  struct Entry {
    std::vector<uint8_t> flags;
    int activeRuns = 0;
  };

 public:
  // The flags one run works on: the script's own while no other run of it is active, else fresh
  // ones that are dropped with the lease.
  class Lease {
   public:
    Lease(std::shared_ptr<Entry> entry, size_t itemCount);
    ~Lease();
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    std::vector<uint8_t>& Flags() { return owner_ ? entry_->flags : copy_; }

   private:
    std::shared_ptr<Entry> entry_;
    bool owner_ = false;
    std::vector<uint8_t> copy_;
  };

  Lease Acquire(const project::TTaviScript& script);
  // Forgets every script's flags (the scripts are being released).
  void Clear() { entries_.clear(); }

 private:
  std::unordered_map<const project::TTaviScript*, std::shared_ptr<Entry>> entries_;
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
  // Where the scripts' FOR-started flags are kept.
  virtual ForLoopFlags& LoopFlags() = 0;
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
