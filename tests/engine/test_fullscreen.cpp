// Stepping aside for full-screen programs (headless): while the active window on the
// character's monitor is full-screen, its window and surfaces are hidden and its sounds muted;
// scripts and timers go on, and everything comes back as it was when the program is no longer
// full-screen or active.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "dialogs/DialogDefinition.hpp"
#include "dialogs/TMyForm.hpp"
#include "engine/DesktopServices.hpp"
#include "engine/RecordingSoundOutput.hpp"

namespace kpf::test {
namespace {

// Monitors and full-screen programs are looked at on each housekeeping tick; an idle character
// ticks once a second.
constexpr uint32_t kOneIdleTick = engine::kIdleHousekeepingMs;

using platform::DesktopWindow;
using platform::Monitor;
using platform::MonitorLayout;
using platform::Rect;

constexpr Rect kFirst{0, 0, 1024, 768};
constexpr Rect kSecond{1024, 0, 2048, 768};

DesktopWindow Program(const Rect& rect, bool fullScreen) {
  DesktopWindow window;
  window.id = 77;
  window.title = "video";
  window.rect = rect;
  window.fullScreen = fullScreen;
  window.active = true;
  return window;
}

// A dialog "Film" (ID 1) whose form fills the screen.
project::TTaviDialog FullScreenDialog() {
  auto form = dialogs::CreateObject(static_cast<uint16_t>(dialogs::ObjectType::Form));
  form->Name = "Film";
  static_cast<dialogs::TMyForm&>(*form).FullScreen = true;
  return {1, "Film", dialogs::WriteDefinition({form})};
}

// Script 1 plays a sound, script 2 makes and shows a surface, script 3 hides the character,
// script 4 shows it, script 5 shows the full-screen dialog, script 6 shows a speech bubble.
project::ProjectSource AsideProject() {
  project::ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10, "100", "100"));
  source.Sounds.push_back({.Name = "beep.wav", .Data = {1, 2}});
  AddScripts(source, {{Act(19, {P::Text("beep.wav"), P::Int(0)})},
                      {Act(64, {P::Int(8), P::Int(8)}), Act(57, {P::Int(300), P::Int(300)})},
                      {Act(73)},
                      {Act(72)},
                      {Act(16, {P::Int(1), P::Int(0)})},
                      {Act(2, {P::Text("Hello"), P::Text("10"), P::Text("10"), P::Text("20")})}});
  source.Dialogs.push_back(FullScreenDialog());
  return source;
}

struct Aside {
  explicit Aside(engine::PlayerOptions options = {})
      : h(AsideProject(), options, [](platform::headless::HeadlessPlatform& p) {
          p.SetMonitors(MonitorLayout{{Monitor{kFirst, kFirst}, Monitor{kSecond, kSecond}}, 0});
        }) {
    h.player->SetSoundOutput(&sound);
    EXPECT_TRUE(h.player->Start());
    h.player->SetVisible(true);
  }
  platform::headless::HeadlessWindow& Character() { return *h.platform.Windows().front(); }
  void Foreground(std::vector<DesktopWindow> windows) {
    h.platform.SetWindowsFromForeground(std::move(windows));
    h.platform.AdvanceBy(kOneIdleTick);
  }

  Harness<> h;
  engine::DesktopServices services{h.platform, *h.player};
  engine::RecordingSoundOutput sound{[this](const std::string& line) { h.trace.push_back(line); },
                                     [this] { return h.player->NowMs(); }};
};

TEST(FullScreenTest, AFullScreenProgramOnTheCharactersMonitorHidesAndMutesItUntilItEnds) {
  Aside a;
  a.h.Fire(2);
  auto* surface = a.h.platform.Windows().back();
  ASSERT_TRUE(surface->Visible());
  a.Foreground({Program(kFirst, true)});
  EXPECT_TRUE(a.h.player->SteppedAside());
  EXPECT_TRUE(a.h.Traced("fullscreen-aside"));
  EXPECT_FALSE(a.Character().Visible());
  EXPECT_FALSE(surface->Visible());
  // The scripts still see a shown character; sounds are muted; timers and frames go on.
  EXPECT_TRUE(a.h.player->IsVisible());
  a.h.trace.clear();
  const int32_t ticks = a.h.player->State().TimerCounter;
  a.h.Fire(1);
  a.h.platform.AdvanceBy(2000);
  EXPECT_EQ(a.h.Count(" sound "), 0u);
  EXPECT_GT(a.h.player->State().TimerCounter, ticks);
  EXPECT_TRUE(a.h.Traced(" frame "));
  // No bubble over the program either.
  a.h.Fire(6);
  EXPECT_TRUE(a.h.platform.LastHintWindow() == nullptr || !a.h.platform.LastHintWindow()->Visible());
  // The program leaves full screen: all comes back, sounds play again.
  a.Foreground({Program(kFirst, false)});
  EXPECT_FALSE(a.h.player->SteppedAside());
  EXPECT_TRUE(a.Character().Visible());
  EXPECT_TRUE(surface->Visible());
  a.h.Fire(1);
  EXPECT_EQ(a.h.Count(" sound "), 1u);
  a.h.Fire(6);
  ASSERT_NE(a.h.platform.LastHintWindow(), nullptr);
  EXPECT_TRUE(a.h.platform.LastHintWindow()->Visible());
  // So it does when the program is no longer the active window.
  a.Foreground({Program(kFirst, true)});
  ASSERT_TRUE(a.h.player->SteppedAside());
  DesktopWindow inactive = Program(kFirst, true);
  inactive.active = false;
  a.Foreground({inactive});
  EXPECT_FALSE(a.h.player->SteppedAside());
}

TEST(FullScreenTest, WhatTheScriptsDoMeanwhileHoldsWhenTheCharacterComesBack) {
  Aside a;
  a.Foreground({Program(kFirst, true)});
  a.h.Fire(3);  // hidden by its script while aside: stays hidden after
  a.Foreground({});
  EXPECT_FALSE(a.Character().Visible());
  a.Foreground({Program(kFirst, true)});
  a.h.Fire(4);  // shown by its script while aside: not over the program, but after it
  EXPECT_FALSE(a.Character().Visible());
  a.h.Fire(2);  // a surface shown meanwhile waits too
  EXPECT_FALSE(a.h.platform.Windows().back()->Visible());
  a.Foreground({});
  EXPECT_TRUE(a.Character().Visible());
  EXPECT_TRUE(a.h.platform.Windows().back()->Visible());
}

TEST(FullScreenTest, OnlyTheCharactersOwnMonitorCountsAndHidingCanBeTurnedOff) {
  Aside other;
  other.Foreground({Program(kSecond, true)});
  EXPECT_FALSE(other.h.player->SteppedAside());
  EXPECT_TRUE(other.Character().Visible());
  // Dragged onto the second monitor, the character steps aside for that program.
  other.h.player->MouseDown(platform::MouseButton::Left, 0, 0);
  other.h.player->MouseMove(true, false, 1500, 300);
  other.h.player->MouseUp(platform::MouseButton::Left);
  other.h.platform.AdvanceBy(kOneIdleTick);
  EXPECT_TRUE(other.h.player->SteppedAside());

  engine::PlayerOptions off;
  off.fullScreenHide = false;
  Aside stays(off);
  stays.Foreground({Program(kFirst, true)});
  EXPECT_FALSE(stays.h.player->SteppedAside());
  EXPECT_TRUE(stays.Character().Visible());
}

TEST(FullScreenTest, TheCharactersOwnFullScreenDialogDoesNotHideIt) {
  Aside a;
  a.h.Fire(5);
  ASSERT_FALSE(a.h.platform.DialogWindows().empty());
  a.Foreground({Program(kFirst, true)});
  EXPECT_FALSE(a.h.player->SteppedAside());
  EXPECT_TRUE(a.Character().Visible());
}

}  // namespace
}  // namespace kpf::test
