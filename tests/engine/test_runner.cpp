// Control flow of the script runner beyond the control_flow golden trace: nesting, early ends,
// loop bounds and FOR state.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Runs `actions` as script 1 over the variables I (id 1), J (2), N (3) and LOG (4, text).
std::unique_ptr<Harness<>> Fired(std::vector<TKPFExeAction> actions) {
  project::ProjectSource source = WithVariables({"I", "J", "N"}, {"LOG"});
  source.Scripts.push_back(Script(1, "main", std::move(actions)));
  source.NextScriptId = 2;
  auto h = std::make_unique<Harness<>>(source);
  h->Fire(1);
  return h;
}

TKPFExeAction Log(const std::string& text) { return Act(21, {P::Var(4), P::Text("<%LOG%>&\"" + text + "\"")}); }
TKPFExeAction If(const std::string& c) { return Act(27, {P::Text(c)}); }
TKPFExeAction While(const std::string& c) { return Act(30, {P::Text(c)}); }
TKPFExeAction Set(int32_t var, const std::string& value) { return Act(22, {P::Var(var), P::Text(value)}); }
TKPFExeAction For(const std::string& start, const std::string& end, const std::string& step) {
  return Act(144, {P::Var(1), P::Text(start), P::Text(end), P::Text(step)});
}

TEST(Runner, BranchesAndEarlyEndsFollowTheLog) {
  const TKPFExeAction Else = Act(28), EndIf = Act(29), EndWhile = Act(31), Break = Act(40);
  const struct {
    const char* name;
    std::vector<TKPFExeAction> actions;
    std::string log;
  } cases[] = {
      {"nested if in skipped branch stepped over whole",
       {If("1 = 2"), If("1 = 1"), Log("x"), Else, Log("y"), EndIf, Log("z"), Else, Log("e"), EndIf, Log("b")}, "eb"},
      {"else holding an if does not end the search early",
       {If("1 = 1"), Log("t"), Else, If("1 = 1"), Log("x"), EndIf, Log("y"), EndIf, Log("b")}, "tb"},
      {"unmatched if ends the run", {Log("a"), If("1 = 2"), Log("x")}, "a"},
      {"while false at first never runs", {While("1 = 2"), Log("x"), EndWhile, Log("b")}, "b"},
      {"nested while skipped whole", {While("1 = 2"), While("1 = 1"), Log("x"), EndWhile, Log("y"), EndWhile, Log("b")},
       "b"},
      {"break after a closed inner loop leaves the outer one",
       {While("1 = 1"), While("1 = 2"), EndWhile, Log("a"), Break, EndWhile, Log("b")}, "ab"},
      {"break outside a loop ends the run", {Log("a"), Break, Log("b")}, "a"},
      {"failing action is abandoned, the run goes on",
       {Act(88, {P::Text("missing"), P::Text("0"), P::Var(4)}), Log("after")}, "after"},
  };
  for (const auto& c : cases) EXPECT_EQ(Fired(c.actions)->Text("LOG"), c.log) << c.name;
}

TEST(Runner, ForRunsBodyAndLeavesVariable) {
  // Counting down and step 0 are in the control_flow trace.
  for (auto [end, body, final] : {std::tuple{"3", 3, 4}, {"-1", 0, 1}}) {
    auto h = Fired({For("1", end, "1"), Set(3, "<%N%>+1"), Act(145)});
    EXPECT_EQ(h->Int("N"), body) << end;
    EXPECT_EQ(h->Int("I"), final) << end;
  }
}

TEST(Runner, BreakLeavesOnlyTheInnerLoop) {
  auto h = Fired({For("1", "3", "1"), While("1 = 1"), Set(3, "<%N%>+1"), Act(40), Act(31), Set(2, "<%J%>+1"), Act(145)});
  EXPECT_EQ(h->Int("N"), 3);
  EXPECT_EQ(h->Int("J"), 3);
}

TEST(Runner, RecursiveRunsKeepTheirOwnForState) {
  // The script calls itself once inside its own FOR: the inner run starts its loop afresh.
  EXPECT_EQ(Fired({For("1", "2", "1"), If("<%J%> < 1"), Set(2, "<%J%>+1"), Act(20, {P::Int(1)}), Act(29),
                   Set(3, "<%N%>+1"), Act(145)})->Int("N"),
            3);
}

TEST(Runner, ForLeftByStopGoesOnFromItsVariableOnTheNextRun) {
  // Scripts run once per timer tick use this to do one step of a loop per call.
  auto h = Fired({For("1", "4", "1"), Set(3, "<%N%>+1"), If("<%I%> = 3"), Act(39), Act(29), Act(145)});
  EXPECT_EQ(h->Int("I"), 3);
  EXPECT_EQ(h->Int("N"), 3);
  h->Fire(1);
  EXPECT_EQ(h->Int("I"), 5);
  EXPECT_EQ(h->Int("N"), 4);
  // The loop ended normally, so the third run starts it again.
  h->Fire(1);
  EXPECT_EQ(h->Int("I"), 3);
  EXPECT_EQ(h->Int("N"), 7);
}

}  // namespace
}  // namespace kpf::test
