// Hostile projects and events: nothing may crash, hang or touch freed state.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::test {
namespace {

// A project with an endless one-frame "idle" animation and the given integer variables.
project::ProjectSource Idle(std::vector<std::string> ints = {}) {
  project::ProjectSource source = WithVariables(std::move(ints));
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  return source;
}

TEST(Hostile, ScriptRunningItselfIsCutAtDepth64) {
  project::ProjectSource source = WithVariables({"N"});
  source.Scripts.push_back(Script(1, "self", {Act(22, {P::Var(1), P::Text("<%N%>+1")}), Act(20, {P::Int(1)})}));
  source.NextScriptId = 2;
  Harness h(source);
  h.Fire(1);
  EXPECT_EQ(h.Int("N"), engine::kMaxScriptDepth);
  EXPECT_TRUE(h.Traced("script-dropped"));
  EXPECT_EQ(h.player->ScriptDepth(), 0);
}

TEST(Hostile, EndlessLoopWithoutWaitEndsWithTheRun) {
  project::ProjectSource source = Idle();
  source.Scripts.push_back(Script(1, "spin", {Act(30, {P::Text("1 = 1")}), Act(31)}, 2));
  source.NextScriptId = 2;
  // The loop yields to the event loop every few items and the virtual clock moves: the end of
  // the run (0 seconds: after the first yield) ends the loop and RunHeadless returns.
  const auto path = WriteProjectFile(source, "spin");
  EXPECT_EQ(tools::RunHeadless({.file = path.string(), .seconds = 0, .inputs = {}}, {}), 0);
  std::filesystem::remove_all(path.parent_path());
}

// Starts a player on just these animations and lets `ms` of virtual time pass.
std::unique_ptr<Harness<>> Played(std::vector<project::AnimationSource> animations, int64_t ms) {
  project::ProjectSource source = WithVariables({});
  source.Animations = std::move(animations);
  auto h = Started(source);
  h->platform.AdvanceTo(ms);
  return h;
}

project::AnimationSource Mover(uint8_t mode, std::vector<int32_t> params, std::string posX, std::string posY = "100") {
  auto mover = Animation(1, "move", 0, 0, 2, 10, std::move(posX), std::move(posY));
  mover.MoveMode = mode;
  mover.Params = std::move(params);
  return mover;
}

TEST(Hostile, FramelessAnimationsDoNotRecurse) {
  for (uint16_t repeat : {0, 1, 2}) {
    auto h = Played({Animation(1, "empty", 0, repeat, 0, 10), Animation(2, "empty2", 0, 1, 0, 10)}, 1000);
    EXPECT_GT(h->Count("anim-start") + h->Count("cycle"), 0u);
    EXPECT_LT(h->Count("anim-start"), 200u);
  }
}

TEST(Hostile, FrameIntervalsAreClamped) {
  EXPECT_EQ(engine::FrameIntervalMs(0, 1), engine::kMinFrameIntervalMs);
  EXPECT_EQ(engine::FrameIntervalMs(25, 1), 250u);
  EXPECT_EQ(engine::FrameIntervalMs(25, -1), 250u);
  EXPECT_EQ(engine::FrameIntervalMs(10, -5), engine::kMinFrameIntervalMs);
  EXPECT_EQ(engine::FrameIntervalMs(65535, 2147483647), 0xFFFFFFFFu);
  // A user timer of no period never ticks; a long one stays within 31 bits.
  EXPECT_EQ(engine::UserTimerPeriodMs(0), 0u);
  EXPECT_EQ(engine::UserTimerPeriodMs(-4), 0u);
  EXPECT_EQ(engine::UserTimerPeriodMs(1), 10u);
  EXPECT_EQ(engine::UserTimerPeriodMs(int64_t{1} << 40), 0x7FFFFFFFu);
  // Zero-duration frames still let time pass.
  EXPECT_LE(Played({Animation(1, "fast", 0, 0, 3, 0)}, 100)->Count(" frame "), 12u);
}

TEST(Hostile, LeaveScreenReplayIsNotReenteredAndAnUnknownTargetDoesNothing) {
  EXPECT_LT(Played({Mover(2, {1, 0}, "-500")}, 100)->Count("anim-start"), 50u);
  auto h = Played({Mover(1, {50, 777}, "-60")}, 200);
  EXPECT_TRUE(h->Traced("leave-screen target=777"));
  EXPECT_EQ(h->Count("anim-start"), 1u);
}

TEST(Hostile, MoveModesWithoutParametersReadZero) {
  // A stored animation may carry fewer move parameters than its mode uses: the missing ones
  // are 0, so the window stays where it is and the animation plays on.
  for (uint8_t mode = 1; mode <= 7; ++mode) {
    auto h = Played({Mover(mode, {}, "40", "30")}, 300);
    EXPECT_TRUE(h->player->IsPlaying()) << int{mode};
    EXPECT_FALSE(h->Traced("leave-screen")) << int{mode};
  }
}

TEST(Hostile, PlayListsThatReferToThemselvesOrToNothingEnd) {
  project::ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 1, 1, 10));
  source.PlayLists = {{"LOOP", "", 0, 0, {"<<RANDOM:LOOP>>"}}, {"EMPTY", "", 0, 0, {}},
                      {"ghosts", "", 0, 0, {"nobody", "nothing"}}};
  source.Scripts.push_back(Script(1, "start", {Act(14, {P::Text("ghosts")})}, 2));
  source.NextScriptId = 2;
  Harness h(source);
  ASSERT_TRUE(h.player->Start());
  for (const char* name : {"<<RANDOM:LOOP>>", "<<RANDOM:EMPTY>>", "<<RANDOM:", "<<RANDOM:X", "<<R", "", "missing",
                           "<RANDOM FROM ALL EVENT>", "<random from same event>"})
    h.player->PlayAnimationByName(name);
  h.player->PlayPlayList("EMPTY");
  h.player->PlayPlayList("LOOP");
  EXPECT_TRUE(h.Traced("playlist-depth"));
  h.platform.AdvanceTo(500);
  EXPECT_TRUE(h.player->IsPlaying());
}

TEST(Hostile, CloseDuringScriptDefersRelease) {
  project::ProjectSource source = Idle({"N"});
  source.Scripts.push_back(Script(5, "long", {Act(22, {P::Var(1), P::Text("1")}), Act(22, {P::Var(1), P::Text("2")}),
                                              Act(22, {P::Var(1), P::Text("3")})}));
  source.Scripts.push_back(Script(6, "closing", {Act(20, {P::Int(5)})}, 1));
  source.NextScriptId = 7;
  Harness h(source);
  ASSERT_TRUE(h.player->Start());
  bool asked = false;
  h.onTrace = [&](const std::string& line) {
    if (!asked && line.find("var name=\"N\" value=\"1\"") != std::string::npos) {
      asked = true;
      h.player->Close();  // arrives while the script runs
      h.player->Close();  // and again
    }
  };
  h.Fire(5);
  EXPECT_TRUE(h.player->Closed());
  EXPECT_EQ(h.Count("close"), 2u);  // "close" and "closed", once each
  EXPECT_TRUE(h.player->Model.Scripts.empty());
}

// Script 2 runs `start` when the player starts; script 1, the timer's, asks the player to exit.
project::ProjectSource ExitOnTick(std::vector<std::string> ints, std::vector<project::TKPFExeAction> start) {
  project::ProjectSource source = Idle(std::move(ints));
  source.Scripts.push_back(Script(1, "tick", {Act(13)}));
  source.Scripts.push_back(Script(2, "start", std::move(start), 2));
  source.NextScriptId = 3;
  return source;
}

TEST(Hostile, TimerClosingThePlayerInsideItsTick) {
  Harness h(ExitOnTick({"T"}, {Act(116, {P::Var(1), P::Int(1), P::Text("1"), P::Text("0")})}));
  h.player->OnExitRequested = [&] { h.player->Close(); };
  h.onTrace = [&](const std::string& line) {
    if (line.find(" timer index=0") != std::string::npos) h.player->Close();
  };
  ASSERT_TRUE(h.player->Start());
  h.platform.AdvanceTo(1000);
  EXPECT_TRUE(h.player->Closed());
  EXPECT_EQ(h.player->Timers().size(), 0u);
}

class DialogPlayer : public engine::TFormKPFPlayer {
 public:
  using TFormKPFPlayer::TFormKPFPlayer;
  int VisibleDialogCount() const override { return 1; }
};

TEST(Hostile, CloseRequestWaitingForDialogsIsBounded) {
  Harness<DialogPlayer> h(Idle());
  ASSERT_TRUE(h.player->Start());
  h.player->CloseClick(true);
  h.platform.AdvanceTo(100);
  EXPECT_TRUE(h.player->Closed());
}

TEST(Hostile, FramesOutOfRangeAndInputAfterCloseAreHarmless) {
  project::ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10));
  Harness h(source);
  ASSERT_TRUE(h.player->Start());
  for (int frame : {-3, 99, 1}) h.player->GotoFrame(frame);
  h.platform.AdvanceTo(200);
  EXPECT_TRUE(h.player->IsPlaying());
  h.player->Close();
  h.player->MouseDown(platform::MouseButton::Left, 1, 1);
  h.player->MouseMove(true, false, 50, 50);
  h.player->MouseUp(platform::MouseButton::Left);
  h.player->DblClick();
  h.player->KeyDown(13);
  h.player->HousekeepingTick();
  h.player->GotoFrame(5);
  h.player->PlayAnimation(0, 0, 3);
  h.platform.AdvanceTo(700);
  EXPECT_TRUE(h.player->Closed());
}

TEST(Hostile, EmptyProjectDoesNotRun) {
  Harness h(WithVariables({}));
  h.player->Model.OptionFlags = {0, 1, 0};
  EXPECT_FALSE(h.player->Start());
  EXPECT_TRUE(h.player->Closed());
}

TEST(Hostile, LongWaitEndsWhenThePlayerCloses) {
  Harness h(ExitOnTick({"T", "AFTER"}, {Act(116, {P::Var(1), P::Int(1), P::Text("30"), P::Text("1")}),
                                         Act(4, {P::Text("100000")}), Act(22, {P::Var(2), P::Text("1")})}));
  h.player->OnExitRequested = [&] { h.player->Close(); };
  h.player->Start();
  EXPECT_TRUE(h.player->Closed());
  EXPECT_LT(h.platform.NowMs(), 1000);
  EXPECT_FALSE(h.Traced("var name=\"AFTER\""));
}

TEST(Hostile, AUserTimerWithoutAPeriodNeverTicks) {
  project::ProjectSource source = Idle({"T", "N"});
  source.Scripts = {Script(1, "make", {Act(116, {P::Var(1), P::Int(2), P::Text("0-3"), P::Text("0")})}),
                    Script(2, "tick", {Act(22, {P::Var(2), P::Text("<%N%>+1")})}),
                    Script(3, "change", {Act(119, {P::Var(1), P::Int(2), P::Text("1"), P::Text("0")})})};
  source.NextScriptId = 4;
  Harness h(source);
  ASSERT_TRUE(h.player->Start());
  h.Fire(1);
  h.platform.AdvanceBy(1000);
  EXPECT_EQ(h.Int("N"), 0);
  h.Fire(3);
  h.platform.AdvanceBy(100);
  EXPECT_GE(h.Int("N"), 5) << "given a period it ticks";
}

}  // namespace
}  // namespace kpf::test
