// The window actions on the headless platform: moves and image variants, the pointer glide,
// stacking, opacity, minimise and restore, and the message box with its answers.
#include <gtest/gtest.h>

#include <climits>

#include "PlayerHarness.hpp"
#include "engine/ScriptMessageBox.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Variables N (1) and M (2); script n + 1 runs scripts[n]. The endless "idle" animation (100 ms
// frames at 100,100) carries the first scripts in its input slots (click, drag, drop, double
// click), which no test here fires: its frames then also get mirrored and flipped images.
project::ProjectSource WindowProject(std::vector<std::vector<TKPFExeAction>> scripts) {
  project::ProjectSource source = WithVariables({"N", "M"});
  auto idle = Animation(1, "idle", 0, 0, 2, 10);
  constexpr size_t kInputSlots[] = {3, 12, 13, 14};
  for (auto& actions : scripts) {
    const auto id = static_cast<int32_t>(source.Scripts.size() + 1);
    source.Scripts.push_back(Script(id, "s" + std::to_string(id), std::move(actions)));
    if (source.Scripts.size() <= std::size(kInputSlots)) idle.EventScripts[kInputSlots[source.Scripts.size() - 1]] = id;
  }
  source.Animations.push_back(idle);
  source.NextScriptId = static_cast<int32_t>(source.Scripts.size() + 1);
  return source;
}

struct Window {
  explicit Window(std::vector<std::vector<TKPFExeAction>> scripts) : h(Started(WindowProject(std::move(scripts)))) {
    h->platform.SetOnApplicationMinimised([this](bool minimised) { h->player->ApplicationMinimised(minimised); });
  }
  ~Window() { h->platform.SetOnApplicationMinimised(nullptr); }
  platform::headless::HeadlessWindow& Native() { return *h->platform.LastWindow(); }

  std::unique_ptr<Harness<>> h;
};

TEST(WindowActionsTest, MirrorAndFlipTwiceReturnToTheNormalImages) {
  Window w({{Act(12)}, {Act(11)}});
  const auto variantOfNextFrame = [&] {
    w.h->trace.clear();
    w.h->platform.AdvanceBy(100);
    return w.h->Traced("variant=0") ? 0 : w.h->Traced("variant=1") ? 1 : w.h->Traced("variant=2") ? 2 : -1;
  };
  EXPECT_EQ(variantOfNextFrame(), 0);
  w.h->Fire(1);
  EXPECT_EQ(variantOfNextFrame(), 1);
  w.h->Fire(1);
  EXPECT_EQ(variantOfNextFrame(), 0);
  w.h->Fire(2);
  EXPECT_EQ(variantOfNextFrame(), 2);
  w.h->Fire(1);  // a changed variant goes back to normal, whichever action changes it
  EXPECT_EQ(variantOfNextFrame(), 0);
}

TEST(WindowActionsTest, MoveByAddsInSixtyFourBitsAndDoesNothingWhileFollowingTheMouse) {
  Window w({{Act(3, {P::Text("5"), P::Text("-7")})}, {Act(3, {P::Text("2147483647"), P::Text("-2147483647")})}});
  w.h->Fire(1);
  EXPECT_EQ(std::pair(w.h->player->Left(), w.h->player->Top()), std::pair(105, 93));
  w.h->Fire(2);
  w.h->Fire(2);  // far past the int range: the stored position stays at its ends
  EXPECT_EQ(std::pair(w.h->player->Left(), w.h->player->Top()), std::pair(INT_MAX, INT_MIN));
  EXPECT_EQ(w.h->Int("CURRENT_LEFT"), INT_MAX);
  EXPECT_EQ(w.Native().Bounds(), (platform::Rect{32767, -32768, 32767 + 64, -32768 + 64}));  // what X can carry

  project::ProjectSource source = WindowProject({{Act(3, {P::Text("5"), P::Text("5")})}});
  source.Animations[0].MoveMode = 6;  // follow the mouse
  source.Animations[0].Params = {0, 0};
  auto follower = Started(source);
  follower->platform.SetPointer({300, 200});
  follower->platform.AdvanceBy(250);
  const platform::Rect before = follower->platform.LastWindow()->Bounds();
  follower->Fire(1);
  EXPECT_EQ(follower->platform.LastWindow()->Bounds(), before);
  EXPECT_EQ(follower->player->Left(), 300);
}

TEST(WindowActionsTest, MoveToMouseAndTheRawPositionKeepToDefinedValues) {
  Window w({{Act(10)}, {Act(109)}});
  w.h->platform.SetPointer({321, 123});
  w.h->Fire(1);
  EXPECT_EQ(std::pair(w.h->player->Left(), w.h->player->Top()), std::pair(321, 123));
  w.h->Fire(2);  // the current left, the stored vertical 0
  EXPECT_EQ(std::pair(w.h->player->Left(), w.h->player->Top()), std::pair(321, 0));
}

TEST(WindowActionsTest, GlideEndsAtTheTargetWaitingBetweenMoves) {
  Window w({{Act(9, {P::Text("210"), P::Text("110"), P::Text("2")})},
            {Act(9, {P::Text("210"), P::Text("110"), P::Text("50")})},
            {Act(9, {P::Text("0"), P::Text("0"), P::Text("-100000")})},
            {Act(9, {P::Text("2147483647"), P::Text("-2147483647"), P::Text("0")})}});
  w.h->platform.SetPointer({10, 10});
  const int64_t start = w.h->platform.NowMs();
  w.h->Fire(1);
  EXPECT_EQ(w.h->platform.Pointer(), (platform::Point{210, 110}));
  const int moves = w.h->platform.PointerWarps();
  EXPECT_GT(moves, 50);
  EXPECT_LE(moves, 200);
  EXPECT_EQ(w.h->platform.NowMs() - start, int64_t{2} * moves);
  EXPECT_TRUE(w.h->Traced("glide x=210 y=110 moves=" + std::to_string(moves)));

  // At the target already: no move and no time.
  const int64_t again = w.h->platform.NowMs();
  w.h->Fire(1);
  EXPECT_EQ(w.h->platform.PointerWarps(), moves);
  EXPECT_EQ(w.h->platform.NowMs(), again);

  // A negative wait is no wait; far targets neither overflow nor leave the window system's range.
  w.h->Fire(3);
  EXPECT_EQ(w.h->platform.Pointer(), (platform::Point{0, 0}));
  EXPECT_EQ(w.h->platform.NowMs(), again);
  w.h->Fire(4);
  EXPECT_EQ(w.h->platform.Pointer(), (platform::Point{32767, -32768}));

  // A player that closes ends its glide at the next step.
  w.h->platform.SetPointer({10, 10});
  auto closer = w.h->platform.CreateTimer();
  closer->SetInterval(120);
  closer->SetOnTimer([&] { w.h->player->Close(); });
  closer->SetEnabled(true);
  w.h->Fire(2);
  EXPECT_TRUE(w.h->player->Closed());
  EXPECT_NE(w.h->platform.Pointer(), (platform::Point{210, 110}));
  EXPECT_LT(w.h->platform.NowMs(), again + 300);
}

TEST(WindowActionsTest, StayOnTopChangesOnlyTheOtherStateAndReappliesTheOpacity) {
  Window w({{Act(94)}, {Act(95)}, {Act(159, {P::Text("128")})}, {Act(159, {P::Text("300")})}, {Act(159, {P::Text("-5")})}});
  engine::MenuItem* entry = w.h->player->Menu().Command(engine::MenuCommand::StayOnTop);
  w.h->Fire(3);
  EXPECT_EQ(w.Native().Opacity(), 128);
  w.h->Fire(1);
  w.h->Fire(1);
  EXPECT_TRUE(w.Native().Topmost());
  EXPECT_TRUE(entry->checked);
  EXPECT_EQ(w.h->Count("topmost on=1"), 1u);
  EXPECT_EQ(w.Native().Opacity(), 128);
  w.h->Fire(2);
  w.h->Fire(2);
  EXPECT_FALSE(w.Native().Topmost());
  EXPECT_FALSE(entry->checked);
  EXPECT_EQ(w.h->Count("topmost on=0"), 1u);
  w.h->Fire(4);  // out of a byte's range: the nearer end, not the value wrapped
  EXPECT_EQ(w.Native().Opacity(), 255);
  w.h->Fire(5);
  EXPECT_EQ(w.Native().Opacity(), 0);
}

TEST(WindowActionsTest, FrontAndBehindTheActiveWindowGoThroughTheWindowManager) {
  Window w({{Act(96)}, {Act(101)}});
  w.h->Fire(1);
  EXPECT_EQ(w.Native().ActivateCount(), 1);

  platform::DesktopWindow own{5, "$zimR_304152$", true, platform::ShowState::Normal, {0, 0, 64, 64}};
  platform::DesktopWindow editor{77, "Editor", true, platform::ShowState::Normal, {10, 10, 500, 400}};
  w.h->platform.SetWindowsFromForeground({own, editor});
  w.h->Fire(2);
  EXPECT_EQ(w.Native().PlacedBelow(), (std::vector<uint64_t>{77}));
  EXPECT_TRUE(w.h->Traced("restack below=77 placed=1"));

  // No active window (none, or a minimised one): nothing is restacked.
  w.h->platform.SetWindowsFromForeground({});
  w.h->Fire(2);
  platform::DesktopWindow minimised = editor;
  minimised.rect = {-32000, -32000, -31800, -31900};
  w.h->platform.SetWindowsFromForeground({minimised});
  w.h->Fire(2);
  EXPECT_EQ(w.Native().PlacedBelow().size(), 1u);
}

TEST(WindowActionsTest, MinimiseAndRestoreFireTheTriggersWhenTheDesktopReportsThem) {
  project::ProjectSource source = WindowProject({{Act(97)}, {Act(98)}});
  source.Scripts.push_back(Script(10, "down", {Act(22, {P::Var(1), P::Text("<%N%> + 1")})}, 7));
  source.Scripts.push_back(Script(11, "up", {Act(22, {P::Var(2), P::Text("<%M%> + 1")})}, 8));
  source.NextScriptId = 12;
  auto h = Started(source);
  h->platform.SetOnApplicationMinimised([&](bool minimised) { h->player->ApplicationMinimised(minimised); });
  h->Fire(1);
  EXPECT_TRUE(h->platform.ApplicationMinimised());
  EXPECT_EQ(h->Int("N"), 0);  // reported from the loop, not inside the action
  h->platform.AdvanceBy(1);
  EXPECT_EQ(h->Int("N"), 1);
  EXPECT_EQ(h->Int("CURRENT_WINDOW_STATE"), 1);
  h->Fire(1);  // already minimised: no second report
  h->Fire(2);
  h->platform.AdvanceBy(1);
  EXPECT_EQ(std::pair(h->Int("N"), h->Int("M")), std::pair(1, 1));
  EXPECT_EQ(h->Int("CURRENT_WINDOW_STATE"), 0);
  h->platform.SetOnApplicationMinimised(nullptr);
}

// ---- Message box --------------------------------------------------------------------------------

TEST(ScriptMessageBoxTest, ButtonBitsInTheirOrderWithTheirCodesAndTypeCaptions) {
  const platform::MessageDialogRequest all = engine::ScriptMessageBox("t", 3, 0x7FFFF, "App");
  std::vector<std::string> labels;
  std::vector<int> codes;
  for (const auto& button : all.buttons) {
    labels.push_back(button.label);
    codes.push_back(button.result);
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All",
                                              "N&o to All", "Yes to &All"}));
  EXPECT_EQ(codes, (std::vector<int>{6, 7, 1, 2, 3, 4, 5, 8, 9, 10}));
  EXPECT_EQ(all.caption, "Confirm");
  EXPECT_EQ(all.icon, platform::MessageBoxIcon::Question);
  EXPECT_EQ(all.dismissResult, 2);
  const std::vector<std::pair<int, std::string>> captions = {
      {0, "Warning"}, {1, "Error"}, {2, "Information"}, {4, "App"}, {9, "App"}, {-1, "App"}};
  for (const auto& [type, caption] : captions) EXPECT_EQ(engine::ScriptMessageBox("t", type, 4, "App").caption, caption);
  EXPECT_EQ(engine::ScriptMessageBox("t", 4, 4, "App").icon, platform::MessageBoxIcon::None);
  EXPECT_TRUE(engine::ScriptMessageBox("t", 0, 1 << 10, "App").buttons.empty());
}

TEST(MessageBoxActionTest, EachButtonAloneAnswersItsCode) {
  const std::vector<int> expected = {6, 7, 1, 2, 3, 4, 5, 8, 9, 10};
  for (int bit = 0; bit < 10; ++bit) {
    Window w({{Act(158, {P::Var(1), P::Text("Sure?"), P::Int(3), P::Int(1 << bit)})}});
    w.h->Fire(1);  // no answer queued: the first (only) button
    EXPECT_EQ(w.h->Int("N"), expected[static_cast<size_t>(bit)]) << "bit " << bit;
  }
}

TEST(MessageBoxActionTest, TheScriptWaitsForTheAnswerWhileTheLoopRuns) {
  Window w({{Act(158, {P::Var(1), P::Text("Save <b>&</b> go?"), P::Int(4), P::Int(3)}),
             Act(22, {P::Var(2), P::Text("<%N%> * 10")})}});
  w.h->player->Title = "Pet";
  w.h->platform.QueueAnswer(7, 900);
  const int64_t start = w.h->platform.NowMs();
  w.h->Fire(1);
  EXPECT_EQ(w.h->platform.NowMs(), 900);
  EXPECT_EQ(w.h->Int("M"), 70);
  EXPECT_GE(w.h->Count(" frame "), 8u);  // the character went on playing meanwhile
  ASSERT_EQ(w.h->platform.MessageDialogs().size(), 1u);
  const auto& box = w.h->platform.MessageDialogs()[0];
  EXPECT_EQ(box.request.text, "Save <b>&</b> go?");
  EXPECT_EQ(box.request.caption, "Pet");
  EXPECT_EQ(box.shownAt, start);
  EXPECT_TRUE(w.h->Traced("msgbox text=\"Save <b>&</b> go?\" caption=\"Pet\" buttons=[\"&Yes\",\"&No\"]"));
  EXPECT_TRUE(w.h->Traced("900 msgbox-result code=7"));
}

TEST(MessageBoxActionTest, AClosingPlayerEndsItsBoxAndTheScriptStops) {
  Window w({{Act(158, {P::Var(1), P::Text("Wait"), P::Int(2), P::Int(4)}), Act(22, {P::Var(2), P::Text("99")})}});
  w.h->platform.QueueAnswer(1, 5000);
  auto closer = w.h->platform.CreateTimer();
  closer->SetInterval(300);
  closer->SetOnTimer([&] { w.h->player->Close(); });
  closer->SetEnabled(true);
  w.h->Fire(1);
  ASSERT_EQ(w.h->platform.MessageDialogs().size(), 1u);
  const auto& box = w.h->platform.MessageDialogs()[0];
  EXPECT_TRUE(box.endedByOwner);
  EXPECT_EQ(box.result, 2);
  EXPECT_LT(box.endedAt, 400);
  EXPECT_TRUE(w.h->player->Closed());
  EXPECT_FALSE(w.h->Traced("value=\"99\""));
  EXPECT_EQ(w.h->player->MessageBoxes().Count(), 0u);
}

TEST(MessageBoxActionTest, AQuestionWithoutAnAnswerIsNo) {
  Window w({});
  EXPECT_EQ(w.h->platform.MessageBox("Delete?", "Pet", platform::MessageBoxIcon::Question,
                                     platform::MessageBoxButtons::YesNo),
            platform::MessageBoxResult::No);
  EXPECT_EQ(w.h->platform.MessageBox("Note", "Pet", platform::MessageBoxIcon::Information,
                                     platform::MessageBoxButtons::OkCancel),
            platform::MessageBoxResult::Ok);
}

}  // namespace
}  // namespace kpf::test
