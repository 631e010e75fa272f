// Control flow of the script runner: conditions, loops, BREAK, STOP, nesting and FOR state.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "engine/ScriptRunner.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Variables: I (id 1), J (2), N (3), LOG (4, text).
project::ProjectSource Runner(std::vector<TKPFExeAction> actions, std::vector<project::TTaviScript> more = {}) {
  project::ProjectSource source = WithVariables({"I", "J", "N"}, {"LOG"});
  source.Scripts.push_back(Script(1, "main", std::move(actions)));
  for (auto& script : more) source.Scripts.push_back(script);
  source.NextScriptId = 50;
  return source;
}

TKPFExeAction Log(const std::string& text) { return Act(21, {P::Var(4), P::Text("<%LOG%>&\"" + text + "\"")}); }
TKPFExeAction If(const std::string& c) { return Act(27, {P::Text(c)}); }
TKPFExeAction Set(int32_t var, const std::string& value) { return Act(22, {P::Var(var), P::Text(value)}); }

std::string RunLog(std::vector<TKPFExeAction> actions, std::vector<project::TTaviScript> more = {}) {
  Harness h(Runner(std::move(actions), std::move(more)));
  h.Fire(1);
  return h.Text("LOG");
}

TEST(Runner, IfWithoutElse) {
  EXPECT_EQ(RunLog({If("1 = 2"), Log("a"), Act(29), Log("b")}), "b");
  EXPECT_EQ(RunLog({If("1 = 1"), Log("a"), Act(29), Log("b")}), "ab");
}

TEST(Runner, TakenIfSkipsElseBranch) {
  EXPECT_EQ(RunLog({If("1 = 1"), Log("a"), Act(28), Log("x"), Act(29), Log("b")}), "ab");
  EXPECT_EQ(RunLog({If("1 = 2"), Log("a"), Act(28), Log("e"), Act(29), Log("b")}), "eb");
}

TEST(Runner, NestedIfInSkippedBranchIsSteppedOverWhole) {
  EXPECT_EQ(RunLog({If("1 = 2"), If("1 = 1"), Log("x"), Act(28), Log("y"), Act(29), Log("z"), Act(28), Log("e"),
                    Act(29), Log("b")}),
            "eb");
}

TEST(Runner, ElseBranchHoldingAnIfDoesNotEndTheSearchEarly) {
  EXPECT_EQ(RunLog({If("1 = 1"), Log("t"), Act(28), If("1 = 1"), Log("x"), Act(29), Log("y"), Act(29), Log("b")}),
            "tb");
}

TEST(Runner, UnmatchedIfEndsTheRun) { EXPECT_EQ(RunLog({Log("a"), If("1 = 2"), Log("x")}), "a"); }

TEST(Runner, WhileFalseAtFirstNeverRuns) {
  EXPECT_EQ(RunLog({Act(30, {P::Text("1 = 2")}), Log("x"), Act(31), Log("b")}), "b");
}

TEST(Runner, WhileCountsUp) {
  Harness h(Runner({Set(2, "0"), Act(30, {P::Text("<%J%> < 4")}), Set(2, "<%J%>+1"), Act(31)}));
  h.Fire(1);
  EXPECT_EQ(h.Int("J"), 4);
}

struct ForCase {
  std::string start, end, step;
  int body;
  int final;
};

class RunnerFor : public testing::TestWithParam<ForCase> {};

TEST_P(RunnerFor, RunsBodyAndLeavesVariable) {
  const ForCase c = GetParam();
  Harness h(Runner({Act(144, {P::Var(1), P::Text(c.start), P::Text(c.end), P::Text(c.step)}), Set(3, "<%N%>+1"),
                    Act(145)}));
  h.Fire(1);
  EXPECT_EQ(h.Int("N"), c.body);
  EXPECT_EQ(h.Int("I"), c.final);
}

INSTANTIATE_TEST_SUITE_P(Loops, RunnerFor,
                         testing::Values(ForCase{"1", "3", "1", 3, 4}, ForCase{"3", "1", "-1", 3, 0},
                                         ForCase{"1", "3", "0", 0, 1}, ForCase{"5", "1", "1", 0, 5}));

TEST(Runner, BreakLeavesOnlyTheInnerLoop) {
  Harness h(Runner({Act(144, {P::Var(1), P::Text("1"), P::Text("3"), P::Text("1")}),
                    Act(30, {P::Text("1 = 1")}), Set(3, "<%N%>+1"), Act(40), Act(31),
                    Set(2, "<%J%>+1"), Act(145)}));
  h.Fire(1);
  EXPECT_EQ(h.Int("N"), 3);
  EXPECT_EQ(h.Int("J"), 3);
}

TEST(Runner, BreakOutsideLoopEndsRun) { EXPECT_EQ(RunLog({Log("a"), Act(40), Log("b")}), "a"); }

TEST(Runner, StopInCalledScriptEndsOnlyThatScript) {
  EXPECT_EQ(RunLog({Act(20, {P::Int(2)}), Log("back")}, {Script(2, "called", {Log("in"), Act(39), Log("x")})}),
            "inback");
}

TEST(Runner, RecursiveRunsKeepTheirOwnForState) {
  // The script calls itself once inside its own FOR: the inner run starts its loop afresh.
  Harness h(Runner({Act(144, {P::Var(1), P::Text("1"), P::Text("2"), P::Text("1")}),
                    If("<%J%> < 1"), Set(2, "<%J%>+1"), Act(20, {P::Int(1)}), Act(29),
                    Set(3, "<%N%>+1"), Act(145)}));
  h.Fire(1);
  EXPECT_EQ(h.Int("N"), 3);
}

TEST(Runner, ForLeftByStopStartsAgainOnTheNextRun) {
  Harness h(Runner({Act(144, {P::Var(1), P::Text("1"), P::Text("5"), P::Text("1")}), Act(39), Act(145)}));
  h.Fire(1);
  EXPECT_EQ(h.Int("I"), 1);
  h.Fire(1);
  EXPECT_EQ(h.Int("I"), 1);
}

TEST(Runner, FailingActionIsAbandonedAndRunGoesOn) {
  EXPECT_EQ(RunLog({Act(88, {P::Text("missing"), P::Text("0"), P::Var(4)}), Log("after")}), "after");
}

TEST(Runner, MatchSearches) {
  const std::vector<TKPFExeAction> items = {Act(27), Act(27), Act(29), Act(28), Act(29)};
  EXPECT_EQ(engine::FindIfEnd(items, 1), 3);
  const std::vector<TKPFExeAction> loops = {Act(30), Act(30), Act(31), Act(40), Act(31)};
  EXPECT_EQ(engine::FindLoopEnd(loops, 1, 30, 31), 4);
  EXPECT_EQ(engine::FindEnclosingLoopHead(loops, 3), 0);
  EXPECT_EQ(engine::FindEnclosingLoopHead(loops, 0), -1);
}

}  // namespace
}  // namespace kpf::test
