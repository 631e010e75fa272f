// The core actions: variables, conversions, texts, arrays, random numbers, timers.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "engine/actions/TextOperations.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;
enum Var { N = 1, M, K, T, U };

// Runs `actions` over the integer variables N, M, K and the text variables T, U.
std::unique_ptr<Harness<>> RunActions(std::vector<TKPFExeAction> actions) {
  project::ProjectSource source = WithVariables({"N", "M", "K"}, {"T", "U"});
  source.Scripts.push_back(Script(1, "main", std::move(actions)));
  source.NextScriptId = 2;
  auto h = std::make_unique<Harness<>>(source);
  h->Fire(1);
  return h;
}

TKPFExeAction Set(int32_t var, const char* value) { return Act(22, {P::Var(var), P::Text(value)}); }
TKPFExeAction SetText(int32_t var, const char* value) { return Act(21, {P::Var(var), P::Text(value)}); }

TEST(Actions, TextActionsAndConversionsStoreResults) {
  auto h = RunActions({Act(41, {P::Text("abcdef"), P::Text("2"), P::Text("3"), P::Var(T)}),
                       Act(65, {P::Text("hello"), P::Var(N)}), Act(44, {P::Text("cd"), P::Text("abcdef"), P::Var(M)}),
                       Act(148, {P::Var(U), P::Text("a-b-c"), P::Text("-"), P::Text("+")}),
                       Set(K, "10/4")});  // a result that is not an integer sets 0
  EXPECT_EQ(h->Text("T"), "bcd");
  EXPECT_EQ(h->Int("N"), 5);
  EXPECT_EQ(h->Int("M"), 3);
  EXPECT_EQ(h->Text("U"), "a+b+c");
  EXPECT_EQ(h->Int("K"), 0);
  h = RunActions({SetText(T, "123"), Act(115, {P::Var(T), P::Var(N)}), Set(M, "-7"), Act(114, {P::Var(M), P::Var(U)}),
                  Set(K, "9"), SetText(T, "1-2"), Act(115, {P::Var(T), P::Var(K)})});
  EXPECT_EQ(h->Int("N"), 123);
  EXPECT_EQ(h->Text("U"), "-7");
  EXPECT_EQ(h->Int("K"), 9);  // conversion error abandons the action
}

TEST(TextActions, EdgeCases) {
  using namespace engine::actions;
  EXPECT_EQ((std::vector<std::string>{MidText("abc", 0, 2), MidText("abc", 3, 10), MidText("abc", 4, 1),
                                      MidText("abc", 1, -1), LeftText("abc", 5), RightText("abc", 2),
                                      RightText("abc", -2), ReplaceText("aaa", "", "b"), UpperText("aBc1"),
                                      LowerText("AbC1")}),
            (std::vector<std::string>{"ab", "c", "", "", "abc", "bc", "", "aaa", "ABC1", "abc1"}));
  EXPECT_EQ((std::vector<int32_t>{FindText("", "abc"), FindText("C", "abc"), CompareTexts("b", "a"),
                                  CompareTexts("a", "ab"), CompareTexts("x", "x"), CompareTexts("\xe9", "z")}),
            (std::vector<int32_t>{0, 0, 1, 2, 0, 1}));
  // Replacing every character of a long text by a long text would have no bound.
  EXPECT_THROW(ReplaceText(std::string(2000, 'a'), "a", std::string(1000, 'b')), project::KpfError);
}

TEST(Actions, ArraysCheckTheirKindBoundsAndSize) {
  auto h = RunActions({Act(84, {P::Text("nums"), P::Text("3")}), Act(86, {P::Text("NUMS"), P::Text("2"), P::Text("42")}),
                       Act(85, {P::Text("nums"), P::Text("2"), P::Var(N)}), Set(M, "7"),
                       Act(85, {P::Text("nums"), P::Text("3"), P::Var(M)}),   // index = count
                       Act(85, {P::Text("nope"), P::Text("0"), P::Var(M)}),   // missing array
                       SetText(T, "kept"), Act(88, {P::Text("nums"), P::Text("0"), P::Var(T)}),  // not a text array
                       Act(87, {P::Text("words"), P::Text("2")}), Act(89, {P::Text("words"), P::Text("1"), P::Text("hi")}),
                       Act(88, {P::Text("words"), P::Text("1"), P::Var(U)}), Act(210, {P::Var(K), P::Text("words")})});
  EXPECT_EQ(h->Int("N"), 42);
  EXPECT_EQ(h->Int("M"), 7);
  EXPECT_EQ(h->Text("T"), "kept");
  EXPECT_EQ(h->Text("U"), "hi");
  EXPECT_EQ(h->Int("K"), 2);
  // Made again under its name, an array replaces the old one.
  h = RunActions({Act(84, {P::Text("nums"), P::Text("3")}), Act(86, {P::Text("nums"), P::Text("2"), P::Text("42")}),
                  Act(84, {P::Text("NUMS"), P::Text("5")}), Act(85, {P::Text("nums"), P::Text("2"), P::Var(N)}),
                  Act(210, {P::Var(M), P::Text("nums")})});
  EXPECT_EQ(h->Int("N"), 0);
  EXPECT_EQ(h->Int("M"), 5);
  // The size is taken modulo 65536.
  EXPECT_EQ(RunActions({Act(84, {P::Text("big"), P::Text("65537")}), Act(210, {P::Var(N), P::Text("big")})})->Int("N"), 1);
}

TEST(Actions, RandomRanges) {
  for (const char* range : {"1", "0", "-9"})  // ranges of one or less give 0
    EXPECT_EQ(RunActions({Set(N, "5"), Act(90, {P::Text(range), P::Var(N)})})->Int("N"), 0);
  const int32_t value = RunActions({Act(90, {P::Text("10"), P::Var(N)})})->Int("N");
  EXPECT_GE(value, 0);
  EXPECT_LT(value, 10);
}

TEST(Actions, UnknownTypesDoNothingAndAMissingVariableAbandonsTheAction) {
  EXPECT_EQ(RunActions({Act(231, {P::Var(N)}), Act(57, {P::Text("x")}), Act(-1), Set(999, "3"), Set(N, "3")})->Int("N"), 3);
}

TEST(Actions, ClearVariableAndStoredValues) {
  auto h = RunActions({SetText(T, "x"), Act(156, {P::Var(T)}), Act(152, {P::Var(N), P::Text("8")})});
  EXPECT_EQ(h->Text("T"), "");
  const auto* n = h->player->Model.VariableByName("N");
  EXPECT_TRUE(n->StoredChanged);
  EXPECT_EQ(n->StoredValue.ToInteger(), 8);
  EXPECT_EQ(h->player->ChangedStoredValues().size(), 1u);
}

TEST(Actions, UserTimerCountsItsTicksAndStopsAfterItsRepeats) {
  // The ticks themselves are in the timers golden trace; here the state and fire-count queries.
  project::ProjectSource source = WithVariables({"T", "STATE", "FIRED"});
  source.Scripts.push_back(Script(1, "tick", {}));
  source.Scripts.push_back(Script(2, "make", {Act(116, {P::Var(1), P::Int(1), P::Text("5"), P::Text("2")})}));
  source.Scripts.push_back(Script(3, "query", {Act(121, {P::Var(2), P::Var(1)}), Act(120, {P::Var(3), P::Var(1)})}));
  source.NextScriptId = 4;
  Harness h(source);
  h.Fire(2);
  h.platform.AdvanceTo(500);
  h.Fire(3);
  EXPECT_EQ(h.Int("STATE"), 0);
  EXPECT_EQ(h.Int("FIRED"), 2);
}

TEST(Actions, AScriptCannotMakeUnboundedTimers) {
  auto h = RunActions({Act(30, {P::Text("<%N%> < 300")}), Act(116, {P::Var(M), P::Int(99), P::Text("100"), P::Text("0")}),
                       Set(N, "<%N%>+1"), Act(31)});
  EXPECT_EQ(h->Int("N"), 300);
  EXPECT_EQ(h->Int("M"), -1);
  EXPECT_EQ(h->player->Timers().size(), engine::kMaxUserTimers);
}

// An index below 0 names no timer: it neither reads before the list nor changes timer 0.
TEST(Actions, ANegativeTimerIndexNamesNoTimer) {
  auto h = RunActions({Act(116, {P::Var(N), P::Int(99), P::Text("100"), P::Text("0")}), Set(M, "0-1"),
                       Set(K, "5"), Act(121, {P::Var(K), P::Var(M)}), Act(120, {P::Var(K), P::Var(M)}),
                       Act(117, {P::Var(M)}), Act(119, {P::Var(M), P::Int(99), P::Text("1"), P::Text("1")})});
  EXPECT_EQ(h->Int("N"), 0);
  EXPECT_EQ(h->Int("K"), 5) << "nothing was read";
  ASSERT_EQ(h->player->Timers().size(), 1u);
  const engine::UserTimer* timer = h->player->Timers().At(0);
  ASSERT_NE(timer, nullptr);
  EXPECT_TRUE(timer->enabled) << "timer 0 was not stopped";
  EXPECT_EQ(h->player->Timers().At(-1), nullptr);
}

}  // namespace
}  // namespace kpf::test
