#include "engine/ScriptRunner.hpp"

#include <exception>

namespace kpf::engine {

namespace {

using Items = std::vector<project::TKPFExeAction>;

int32_t TypeAt(const Items& items, int32_t position) {
  return items[static_cast<size_t>(position)].ActionType;
}

// At an ELSE after a taken IF: skips past the END IF that closes the taken branch.
int32_t SkipElseBranch(const Items& items, int32_t position, int32_t takenIfCount) {
  const auto count = static_cast<int32_t>(items.size());
  int32_t level = takenIfCount;
  ++position;
  while (level >= takenIfCount && position < count) {
    const int32_t type = TypeAt(items, position);
    if (type == kActionIf) ++level;
    if (type == kActionEndIf) --level;
    ++position;
  }
  return position;
}

}  // namespace

// Nested IFs are counted at every depth, so an ELSE branch holding an IF cannot end the search
// early; well-nested scripts match as the vocabulary describes.
int32_t FindIfEnd(const Items& items, int32_t from) {
  int32_t nested = 0;
  for (auto p = from; p < static_cast<int32_t>(items.size()); ++p) {
    const int32_t type = TypeAt(items, p);
    if (type == kActionIf) {
      ++nested;
    } else if (type == kActionElse) {
      if (nested == 0) return p;
    } else if (type == kActionEndIf) {
      if (nested == 0) return p;
      --nested;
    }
  }
  return -1;
}

int32_t FindLoopEnd(const Items& items, int32_t from, int32_t head, int32_t end) {
  int32_t nested = 0;
  for (auto p = from; p < static_cast<int32_t>(items.size()); ++p) {
    const int32_t type = TypeAt(items, p);
    if (type == end) {
      if (nested < 1) return p;
      --nested;
    } else if (type == head) {
      ++nested;
    }
  }
  return -1;
}

int32_t FindEnclosingLoopHead(const Items& items, int32_t from) {
  int32_t level = 0;
  for (auto p = from - 1; p >= 0; --p) {
    const int32_t type = TypeAt(items, p);
    if (type == kActionEndWhile || type == kActionNext) {
      ++level;
    } else if (type == kActionWhile || type == kActionFor) {
      if (level == 0) return p;
      --level;
    }
  }
  return -1;
}

namespace {

// Applies a result code; returns false when the run ends.
bool ApplyResult(const Items& items, int result, RunState& state) {
  const int32_t position = state.position;
  switch (result) {
    case kResultIfTrue:
      ++state.takenIfCount;
      return true;
    case kResultIfFalse: {
      const int32_t match = FindIfEnd(items, position + 1);
      if (match < 0) return false;
      state.position = match;
      return true;
    }
    case kResultLoopTrue:
      state.loopStack.push_back(position);
      return true;
    case kResultWhileFalse:
    case kResultForDone: {
      const bool isFor = result == kResultForDone;
      const int32_t match = FindLoopEnd(items, position + 1, isFor ? kActionFor : kActionWhile,
                                        isFor ? kActionNext : kActionEndWhile);
      if (match < 0) return false;
      state.position = match;
      return true;
    }
    case kResultLoopEnd:
      if (!state.loopStack.empty()) {
        state.position = state.loopStack.back() - 1;
        state.loopStack.pop_back();
      }
      return true;
    case kResultStop:
      return false;
    case kResultBreak: {
      const int32_t head = FindEnclosingLoopHead(items, position);
      if (head < 0) return false;
      const bool isFor = TypeAt(items, head) == kActionFor;
      if (isFor) state.ForStartedAt(head) = 0;
      if (!state.loopStack.empty()) state.loopStack.pop_back();
      const int32_t match = FindLoopEnd(items, head + 1, isFor ? kActionFor : kActionWhile,
                                        isFor ? kActionNext : kActionEndWhile);
      if (match < 0) return false;
      state.position = match;
      return true;
    }
    default:
      return true;
  }
}

}  // namespace

ForLoopFlags::Lease::Lease(std::shared_ptr<Entry> entry, size_t itemCount) : entry_(std::move(entry)) {
  if (entry_->flags.size() != itemCount) entry_->flags.assign(itemCount, 0);
  owner_ = entry_->activeRuns == 0;
  if (owner_) ++entry_->activeRuns;
  else copy_.assign(itemCount, 0);
}

ForLoopFlags::Lease::~Lease() {
  if (owner_) --entry_->activeRuns;
}

ForLoopFlags::Lease ForLoopFlags::Acquire(const project::TTaviScript& script) {
  std::shared_ptr<Entry>& entry = entries_[&script];
  if (!entry) entry = std::make_shared<Entry>();
  return Lease(entry, script.Actions.size());
}

void RunScriptItems(const project::TTaviScript& script, int param, ScriptRunnerHost& host) {
  const Items& items = script.Actions;
  const auto count = static_cast<int32_t>(items.size());
  ForLoopFlags::Lease flags = host.LoopFlags().Acquire(script);
  RunState state;
  state.forStarted = &flags.Flags();
  int sinceYield = 0;
  while (state.position < count && !host.RunMustEnd()) {
    if (++sinceYield >= kItemsPerYield) {
      sinceYield = 0;
      host.YieldToLoop();
      if (host.RunMustEnd()) break;
    }
    if (state.takenIfCount > 0 && TypeAt(items, state.position) == kActionElse) {
      state.position = SkipElseBranch(items, state.position, state.takenIfCount);
      if (state.position >= count) break;
    }
    int result = kResultNext;
    try {
      result = host.ExecuteAction(script, items[static_cast<size_t>(state.position)], param, state);
    } catch (const std::exception&) {
      result = kResultNext;
    }
    if (!ApplyResult(items, result, state)) break;
    ++state.position;
  }
}

}  // namespace kpf::engine
