#include "tools/kpftool/BlockChecks.hpp"

#include "engine/ScriptRunner.hpp"

namespace kpf::tools {

namespace {

using Items = std::vector<project::TKPFExeAction>;
using namespace engine;

constexpr int32_t kActionBreak = 40;

class BlockCheck {
 public:
  BlockCheck(const Items& items, const Place& place, Findings& findings)
      : items_(items), place_(place), findings_(findings), matched_(items.size(), false) {}

  void Run() {
    for (int32_t p = 0; p < Count(); ++p) {
      const int32_t type = TypeAt(p);
      if (type == kActionIf) CheckIf(p);
      else if (type == kActionWhile) CheckLoop(p, kActionWhile, kActionEndWhile, "WHILE", "END WHILE");
      else if (type == kActionFor) CheckLoop(p, kActionFor, kActionNext, "FOR", "NEXT");
      else if (type == kActionBreak) CheckBreak(p);
    }
    for (int32_t p = 0; p < Count(); ++p) {
      if (matched_[static_cast<size_t>(p)]) continue;
      const int32_t type = TypeAt(p);
      if (type == kActionElse) Stray(p, "ELSE", "IF");
      else if (type == kActionEndIf) Stray(p, "END IF", "IF");
      else if (type == kActionEndWhile) Stray(p, "END WHILE", "WHILE");
      else if (type == kActionNext) Stray(p, "NEXT", "FOR");
    }
  }

 private:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  int32_t TypeAt(int32_t p) const { return items_[static_cast<size_t>(p)].ActionType; }
  Place Item(int32_t p) const { return place_.At("item", p + 1); }
  std::string Number(int32_t p) const { return "item " + std::to_string(p + 1); }

  // A false IF goes on after its ELSE or END IF; a taken branch that meets its ELSE goes on
  // after the END IF found from there.
  void CheckIf(int32_t p) {
    const int32_t match = FindIfEnd(items_, p + 1);
    if (match < 0) {
      findings_.Error(Item(p), "IF has no matching ELSE or END IF: when the condition is false the script ends here");
      return;
    }
    matched_[static_cast<size_t>(match)] = true;
    if (TypeAt(match) != kActionElse) return;
    const int32_t end = FindIfEnd(items_, match + 1);
    if (end < 0) {
      findings_.Error(Item(match), "ELSE of the IF at " + Number(p) + " has no matching END IF");
    } else if (TypeAt(end) == kActionElse) {
      findings_.Error(Item(end), "second ELSE for the IF at " + Number(p));
      matched_[static_cast<size_t>(end)] = true;
    } else {
      matched_[static_cast<size_t>(end)] = true;
    }
  }

  void CheckLoop(int32_t p, int32_t head, int32_t end, const char* headName, const char* endName) {
    const int32_t match = FindLoopEnd(items_, p + 1, head, end);
    if (match < 0) {
      findings_.Error(Item(p), std::string(headName) + " has no matching " + endName +
                                   ": when the loop ends the script ends here");
      return;
    }
    matched_[static_cast<size_t>(match)] = true;
  }

  void CheckBreak(int32_t p) {
    if (FindEnclosingLoopHead(items_, p) < 0)
      findings_.Error(Item(p), "BREAK outside a loop ends the script");
  }

  void Stray(int32_t p, const char* name, const char* head) {
    findings_.Warning(Item(p), std::string(name) + " without a matching " + head);
  }

  const Items& items_;
  const Place& place_;
  Findings& findings_;
  std::vector<bool> matched_;
};

}  // namespace

void CheckBlocks(const Items& items, const Place& place, Findings& findings) {
  BlockCheck(items, place, findings).Run();
}

}  // namespace kpf::tools
