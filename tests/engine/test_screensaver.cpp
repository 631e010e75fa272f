// A player in the screen-saver role: what ends it (keys, the middle button, a pointer that
// really moved) in the running mode only, the settings mode's dialog or About box, and the
// desktop repaint of the close.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"

namespace kpf::test {
namespace {

using engine::ScreenSaverMode;
using platform::ScreenInput;

constexpr platform::Point kStart{300, 200};

// An endless "idle" animation, a keyboard script (trigger 5, "key") and a close script ("bye").
project::ProjectSource Saver() {
  project::ProjectSource source = WithVariables({"N", "C"});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  source.Scripts.push_back(Script(1, "key", {Act(22, {P::Var(1), P::Text("<%N%>+1")})}, 5));
  source.Scripts.push_back(Script(2, "bye", {Act(22, {P::Var(2), P::Text("1")})}, 1));
  source.NextScriptId = 3;
  return source;
}

engine::PlayerOptions As(ScreenSaverMode mode) {
  engine::PlayerOptions options;
  options.screenSaver = mode;
  return options;
}

// A started screen saver whose pointer was at kStart when it was made.
template <typename Player = engine::TFormKPFPlayer>
std::unique_ptr<Harness<Player>> StartedSaver(ScreenSaverMode mode,
                                              const std::function<void(platform::headless::HeadlessPlatform&)>& prepare =
                                                  [](platform::headless::HeadlessPlatform& desktop) {
                                                    desktop.SetPointer(kStart);
                                                  }) {
  auto h = std::make_unique<Harness<Player>>(Saver(), As(mode), prepare);
  h->started = h->player->Start();
  return h;
}

platform::headless::HeadlessScreenSaver& Desktop(auto& h) { return h->platform.ScreenSaverDesktop(); }

TEST(ScreenSaver, KeyEndsTheRunningSaverWithoutTheKeyboardScripts) {
  auto h = StartedSaver(ScreenSaverMode::Run);
  ASSERT_FALSE(h->player->Closed());
  EXPECT_EQ(h->player->ScreenSaver().StartMousePos(), kStart);
  h->player->KeyDown(65);
  EXPECT_TRUE(h->player->Closed());
  EXPECT_FALSE(h->Traced("name=\"key\""));
  EXPECT_EQ(h->player->State().LastKey, -1);
  EXPECT_TRUE(h->Traced("name=\"bye\""));  // ended through Close: the close scripts ran
  // Ordinary characters keep their keys.
  auto ordinary = Started(Saver());
  ordinary->player->KeyDown(65);
  EXPECT_FALSE(ordinary->player->Closed());
  EXPECT_EQ(ordinary->Int("N"), 1);
}

TEST(ScreenSaver, InputAnywhereOnTheScreenEndsItButNotTheLeftOrRightButton) {
  for (const ScreenInput ending : {ScreenInput::KeyDown, ScreenInput::MiddleButtonDown}) {
    auto h = StartedSaver(ScreenSaverMode::Run);
    ASSERT_EQ(Desktop(h).LiveWatches(), 1u);
    Desktop(h).Report(ScreenInput::OtherButtonDown);
    EXPECT_FALSE(h->player->Closed());
    Desktop(h).Report(ending);
    EXPECT_TRUE(h->player->Closed());
    EXPECT_EQ(Desktop(h).LiveWatches(), 0u);  // the watch goes with the close
  }
  auto h = StartedSaver(ScreenSaverMode::Run);
  h->player->MouseDown(platform::MouseButton::Left, 1, 1);
  EXPECT_FALSE(h->player->Closed());
  h->player->MouseDown(platform::MouseButton::Middle, 1, 1);
  EXPECT_TRUE(h->player->Closed());
  // Without a screen-wide watch the character's own input and the pointer check still work.
  auto unwatched = StartedSaver(ScreenSaverMode::Run, [](platform::headless::HeadlessPlatform& desktop) {
    desktop.ScreenSaverDesktop().SetInputWatchAvailable(false);
  });
  ASSERT_TRUE(unwatched->started);
  EXPECT_EQ(Desktop(unwatched).LiveWatches(), 0u);
  unwatched->player->KeyDown(13);
  EXPECT_TRUE(unwatched->player->Closed());
}

// Motion reports also come when a window appears under a still pointer: only a pointer that is
// readable and elsewhere than at the start ends the saver, and the housekeeping tick notices a
// move that no report announced.
TEST(ScreenSaver, OnlyAPointerThatReallyMovedEndsIt) {
  auto h = StartedSaver(ScreenSaverMode::Run);
  h->player->MouseMove(false, false, kStart.x, kStart.y);
  Desktop(h).Report(ScreenInput::PointerMotion);
  h->platform.AdvanceBy(300);
  EXPECT_FALSE(h->player->Closed());
  // A pointer that cannot be read ends nothing, however far it went.
  Desktop(h).SetPointerReadable(false);
  h->platform.SetPointer({0, 0});
  h->player->MouseMove(false, false, 0, 0);
  Desktop(h).Report(ScreenInput::PointerMotion);
  h->platform.AdvanceBy(300);
  EXPECT_FALSE(h->player->Closed());
  // One pixel, seen by the next tick.
  Desktop(h).SetPointerReadable(true);
  h->platform.SetPointer({kStart.x + 1, kStart.y});
  h->platform.AdvanceBy(100);
  EXPECT_TRUE(h->player->Closed());
  // The same through a motion report.
  auto reported = StartedSaver(ScreenSaverMode::Run);
  reported->platform.SetPointer({kStart.x, kStart.y - 1});
  Desktop(reported).Report(ScreenInput::PointerMotion);
  EXPECT_TRUE(reported->player->Closed());
}

TEST(ScreenSaver, UnreadableStartTakesTheFirstReadablePosition) {
  auto h = StartedSaver(ScreenSaverMode::Run, [](platform::headless::HeadlessPlatform& desktop) {
    desktop.ScreenSaverDesktop().SetPointerReadable(false);
  });
  ASSERT_TRUE(h->started);
  EXPECT_FALSE(h->player->ScreenSaver().StartMousePos().has_value());
  Desktop(h).SetPointerReadable(true);
  h->platform.SetPointer({5, 5});
  h->platform.AdvanceBy(200);
  EXPECT_FALSE(h->player->Closed());
  h->platform.SetPointer({6, 5});
  h->platform.AdvanceBy(100);
  EXPECT_TRUE(h->player->Closed());
}

// The settings dialog runs modally inside Run; input meanwhile must not close the player under
// it, and nothing watches the screen in this mode.
struct SettingsPlayer : engine::TFormKPFPlayer {
  using TFormKPFPlayer::TFormKPFPlayer;
  bool ShowDialogModalByName(std::string_view name) override {
    shownName = std::string(name);
    if (!hasDialog) return false;
    KeyDown(65);
    MouseDown(platform::MouseButton::Middle, 2, 2);
    MouseMove(false, false, 0, 0);
    HousekeepingTick();
    closedDuringDialog = Closed();
    return true;
  }
  static inline bool hasDialog = true;
  std::string shownName;
  bool closedDuringDialog = true;
};

TEST(ScreenSaver, SettingsModeShowsTheDialogThenClosesAndIgnoresInput) {
  SettingsPlayer::hasDialog = true;
  auto h = StartedSaver<SettingsPlayer>(ScreenSaverMode::Configure);
  EXPECT_EQ(h->player->shownName, "SSCONFIG");
  EXPECT_FALSE(h->player->closedDuringDialog);
  EXPECT_FALSE(h->started);
  EXPECT_TRUE(h->player->Closed());
  EXPECT_FALSE(h->Traced("name=\"key\""));
  EXPECT_EQ(Desktop(h).LiveWatches(), 0u);
  EXPECT_TRUE(h->platform.MessageBoxes().empty());  // no About box after the dialog
  // Without the dialog: the About box (a message box without desktop services), then the close.
  SettingsPlayer::hasDialog = false;
  auto plain = StartedSaver<SettingsPlayer>(ScreenSaverMode::Configure);
  EXPECT_TRUE(plain->Traced("msgbox"));
  ASSERT_EQ(plain->platform.MessageBoxes().size(), 1u);
  EXPECT_TRUE(plain->player->Closed());
  SettingsPlayer::hasDialog = true;
}

TEST(ScreenSaver, CloseRepaintsTheDesktopUnlessOptionTenIsSet) {
  auto h = Started(Saver());
  h->player->Close();
  EXPECT_EQ(h->platform.ScreenSaverDesktop().DesktopRepaints(), 1);
  project::ProjectSource keep = Saver();
  keep.OptionFlags[10] = 1;
  auto kept = Started(keep);
  kept->player->Close();
  EXPECT_EQ(kept->platform.ScreenSaverDesktop().DesktopRepaints(), 0);
}

}  // namespace
}  // namespace kpf::test
