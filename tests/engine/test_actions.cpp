// The core actions: variables, conversions, texts, arrays, random numbers, timers.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "engine/TextActions.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Variables: N (1), M (2), T (3, text), U (4, text).
std::unique_ptr<Harness<>> RunActions(std::vector<TKPFExeAction> actions) {
  project::ProjectSource source = WithVariables({"N", "M"}, {"T", "U"});
  source.Scripts.push_back(Script(1, "main", std::move(actions)));
  source.NextScriptId = 2;
  auto h = std::make_unique<Harness<>>(source);
  h->Fire(1);
  return h;
}

TEST(Actions, SetNumberEvaluatesExpressions) {
  for (auto [text, value] : {std::pair{"2+3", 5}, {"abc", 0}, {"10/4", 0}})
    EXPECT_EQ(RunActions({Act(22, {P::Var(1), P::Text(text)})})->Int("N"), value) << text;
}

TEST(Actions, TextActionsStoreResults) {
  auto h = RunActions({Act(41, {P::Text("abcdef"), P::Text("2"), P::Text("3"), P::Var(3)}),
                Act(65, {P::Text("hello"), P::Var(1)}),
                Act(44, {P::Text("cd"), P::Text("abcdef"), P::Var(2)}),
                Act(148, {P::Var(4), P::Text("a-b-c"), P::Text("-"), P::Text("+")})});
  EXPECT_EQ(h->Text("T"), "bcd");
  EXPECT_EQ(h->Int("N"), 5);
  EXPECT_EQ(h->Int("M"), 3);
  EXPECT_EQ(h->Text("U"), "a+b+c");
}

TEST(TextActions, EdgeCases) {
  EXPECT_EQ(engine::MidText("abc", 0, 2), "ab");
  EXPECT_EQ(engine::MidText("abc", 3, 10), "c");
  EXPECT_EQ(engine::MidText("abc", 4, 1), "");
  EXPECT_EQ(engine::MidText("abc", 1, -1), "");
  EXPECT_EQ(engine::LeftText("abc", 5), "abc");
  EXPECT_EQ(engine::RightText("abc", 2), "bc");
  EXPECT_EQ(engine::RightText("abc", -2), "");
  EXPECT_EQ(engine::FindText("", "abc"), 0);
  EXPECT_EQ(engine::FindText("C", "abc"), 0);
  EXPECT_EQ(engine::CompareTexts("b", "a"), 1);
  EXPECT_EQ(engine::CompareTexts("a", "ab"), 2);
  EXPECT_EQ(engine::CompareTexts("x", "x"), 0);
  EXPECT_EQ(engine::CompareTexts("\xe9", "z"), 1);
  EXPECT_EQ(engine::ReplaceText("aaa", "", "b"), "aaa");
  EXPECT_EQ(engine::UpperText("aBc1"), "ABC1");
  EXPECT_EQ(engine::LowerText("AbC1"), "abc1");
}

TEST(Actions, NumberArrays) {
  auto h = RunActions({Act(84, {P::Text("nums"), P::Text("3")}),
                Act(86, {P::Text("NUMS"), P::Text("2"), P::Text("42")}),
                Act(85, {P::Text("nums"), P::Text("2"), P::Var(1)}),
                Act(22, {P::Var(2), P::Text("7")}),
                Act(85, {P::Text("nums"), P::Text("3"), P::Var(2)}),   // index = count
                Act(85, {P::Text("nope"), P::Text("0"), P::Var(2)})});  // missing array
  EXPECT_EQ(h->Int("N"), 42);
  EXPECT_EQ(h->Int("M"), 7);
}

TEST(Actions, TextArrayCanOnlyContainText) {
  auto h = RunActions({Act(84, {P::Text("nums"), P::Text("2")}),
                Act(21, {P::Var(3), P::Text("kept")}),
                Act(88, {P::Text("nums"), P::Text("0"), P::Var(3)}),
                Act(87, {P::Text("words"), P::Text("2")}),
                Act(89, {P::Text("words"), P::Text("1"), P::Text("hi")}),
                Act(88, {P::Text("words"), P::Text("1"), P::Var(4)}),
                Act(210, {P::Var(1), P::Text("words")})});
  EXPECT_EQ(h->Text("T"), "kept");
  EXPECT_EQ(h->Text("U"), "hi");
  EXPECT_EQ(h->Int("N"), 2);
}

TEST(Actions, ArraySizeIsTakenModulo65536) {
  EXPECT_EQ(RunActions({Act(84, {P::Text("big"), P::Text("65537")}), Act(210, {P::Var(1), P::Text("big")})})
                ->Int("N"),
            1);
}

TEST(Actions, Conversions) {
  auto h = RunActions({Act(21, {P::Var(3), P::Text("123")}), Act(115, {P::Var(3), P::Var(1)}),
                Act(22, {P::Var(2), P::Text("-7")}), Act(114, {P::Var(2), P::Var(4)})});
  EXPECT_EQ(h->Int("N"), 123);
  EXPECT_EQ(h->Text("U"), "-7");
  auto bad = RunActions({Act(22, {P::Var(1), P::Text("9")}), Act(21, {P::Var(3), P::Text("1-2")}),
                  Act(115, {P::Var(3), P::Var(1)})});
  EXPECT_EQ(bad->Int("N"), 9);  // conversion error abandons the action
}

TEST(Actions, RandomRanges) {
  for (const char* range : {"1", "0", "-9"})  // ranges of one or less give 0
    EXPECT_EQ(RunActions({Act(22, {P::Var(1), P::Text("5")}), Act(90, {P::Text(range), P::Var(1)})})->Int("N"), 0);
  const int32_t value = RunActions({Act(90, {P::Text("10"), P::Var(1)})})->Int("N");
  EXPECT_GE(value, 0);
  EXPECT_LT(value, 10);
}

TEST(Actions, UnknownTypesDoNothingAndAMissingVariableAbandonsTheAction) {
  EXPECT_EQ(RunActions({Act(231, {P::Var(1)}), Act(57, {P::Text("x")}), Act(-1), Act(22, {P::Var(1), P::Text("3")})})
                ->Int("N"),
            3);
  EXPECT_EQ(RunActions({Act(22, {P::Var(999), P::Text("3")}), Act(22, {P::Var(1), P::Text("4")})})->Int("N"), 4);
}

TEST(Actions, ClearVariableAndStoredValues) {
  auto h = RunActions({Act(21, {P::Var(3), P::Text("x")}), Act(156, {P::Var(3)}), Act(152, {P::Var(1), P::Text("8")})});
  EXPECT_EQ(h->Text("T"), "");
  const auto* n = h->player->Model.VariableByName("N");
  EXPECT_TRUE(n->StoredChanged);
  EXPECT_EQ(n->StoredValue.ToInteger(), 8);
  EXPECT_EQ(h->player->ChangedStoredValues().size(), 1u);
}

TEST(Actions, UserTimerRepeatsAndStops) {
  project::ProjectSource source = WithVariables({"T", "COUNT", "STATE", "FIRED"});
  source.Scripts.push_back(Script(1, "tick", {Act(22, {P::Var(2), P::Text("<%COUNT%>+1")})}));
  source.Scripts.push_back(Script(2, "make", {Act(116, {P::Var(1), P::Int(1), P::Text("5"), P::Text("2")})}));
  source.Scripts.push_back(Script(3, "query", {Act(121, {P::Var(3), P::Var(1)}), Act(120, {P::Var(4), P::Var(1)})}));
  source.NextScriptId = 4;
  Harness h(source);
  h.Fire(2);
  h.platform.AdvanceTo(500);
  h.Fire(3);
  EXPECT_EQ(h.Int("COUNT"), 2);
  EXPECT_EQ(h.Int("STATE"), 0);
  EXPECT_EQ(h.Int("FIRED"), 2);
}

}  // namespace
}  // namespace kpf::test
