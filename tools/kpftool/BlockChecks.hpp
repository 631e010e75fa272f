#pragma once
// Block structure of one action list, judged with the script runner's own searches: an IF, ELSE,
// WHILE or FOR whose search finds no match ends the run there; an END IF, ELSE, END WHILE or
// NEXT that no head reaches, and a BREAK outside every loop, are faults as well.
#include <vector>

#include "project/ProjectRecords.hpp"
#include "tools/kpftool/Findings.hpp"

namespace kpf::tools {

// `place` names the list (a script or a menu entry); findings name items from 1.
void CheckBlocks(const std::vector<project::TKPFExeAction>& items, const Place& place, Findings& findings);

}  // namespace kpf::tools
