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

TEST(Runner, BranchesAndEarlyEndsFollowTheLog) {
  const TKPFExeAction Else = Act(28), EndIf = Act(29), Break = Act(40), Stop = Act(39);
  const struct {
    const char* name;
    std::vector<TKPFExeAction> actions;
    std::string log;
  } cases[] = {
      {"if false, no else", {If("1 = 2"), Log("a"), EndIf, Log("b")}, "b"},
      {"if true, no else", {If("1 = 1"), Log("a"), EndIf, Log("b")}, "ab"},
      {"taken if skips else", {If("1 = 1"), Log("a"), Else, Log("x"), EndIf, Log("b")}, "ab"},
      {"else taken", {If("1 = 2"), Log("a"), Else, Log("e"), EndIf, Log("b")}, "eb"},
      {"nested if in skipped branch stepped over whole",
       {If("1 = 2"), If("1 = 1"), Log("x"), Else, Log("y"), EndIf, Log("z"), Else, Log("e"), EndIf, Log("b")}, "eb"},
      {"else holding an if does not end the search early",
       {If("1 = 1"), Log("t"), Else, If("1 = 1"), Log("x"), EndIf, Log("y"), EndIf, Log("b")}, "tb"},
      {"unmatched if ends the run", {Log("a"), If("1 = 2"), Log("x")}, "a"},
      {"while false at first never runs", {Act(30, {P::Text("1 = 2")}), Log("x"), Act(31), Log("b")}, "b"},
      {"break outside a loop ends the run", {Log("a"), Break, Log("b")}, "a"},
      {"failing action is abandoned, the run goes on",
       {Act(88, {P::Text("missing"), P::Text("0"), P::Var(4)}), Log("after")}, "after"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunLog(c.actions), c.log) << c.name;
  // STOP in a called script ends only that script.
  EXPECT_EQ(RunLog({Act(20, {P::Int(2)}), Log("back")}, {Script(2, "called", {Log("in"), Stop, Log("x")})}),
            "inback");
}

TKPFExeAction For(const std::string& start, const std::string& end, const std::string& step) {
  return Act(144, {P::Var(1), P::Text(start), P::Text(end), P::Text(step)});
}

std::unique_ptr<Harness<>> Fired(std::vector<TKPFExeAction> actions) {
  auto h = std::make_unique<Harness<>>(Runner(std::move(actions)));
  h->Fire(1);
  return h;
}

TEST(Runner, WhileCountsUp) {
  EXPECT_EQ(Fired({Set(2, "0"), Act(30, {P::Text("<%J%> < 4")}), Set(2, "<%J%>+1"), Act(31)})->Int("J"), 4);
}

TEST(Runner, ForRunsBodyAndLeavesVariable) {
  const struct {
    const char *start, *end, *step;
    int body, final;
  } cases[] = {{"1", "3", "1", 3, 4}, {"3", "1", "-1", 3, 0}, {"1", "3", "0", 0, 1}, {"5", "1", "1", 0, 5}};
  for (const auto& c : cases) {
    auto h = Fired({For(c.start, c.end, c.step), Set(3, "<%N%>+1"), Act(145)});
    EXPECT_EQ(h->Int("N"), c.body) << c.start << ".." << c.end << " step " << c.step;
    EXPECT_EQ(h->Int("I"), c.final) << c.start << ".." << c.end << " step " << c.step;
  }
}

TEST(Runner, BreakLeavesOnlyTheInnerLoop) {
  auto h = Fired({For("1", "3", "1"), Act(30, {P::Text("1 = 1")}), Set(3, "<%N%>+1"), Act(40), Act(31),
                  Set(2, "<%J%>+1"), Act(145)});
  EXPECT_EQ(h->Int("N"), 3);
  EXPECT_EQ(h->Int("J"), 3);
}

TEST(Runner, RecursiveRunsKeepTheirOwnForState) {
  // The script calls itself once inside its own FOR: the inner run starts its loop afresh.
  EXPECT_EQ(Fired({For("1", "2", "1"), If("<%J%> < 1"), Set(2, "<%J%>+1"), Act(20, {P::Int(1)}), Act(29),
                   Set(3, "<%N%>+1"), Act(145)})->Int("N"),
            3);
}

TEST(Runner, ForLeftByStopStartsAgainOnTheNextRun) {
  auto h = Fired({For("1", "5", "1"), Act(39), Act(145)});
  EXPECT_EQ(h->Int("I"), 1);
  h->Fire(1);
  EXPECT_EQ(h->Int("I"), 1);
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
