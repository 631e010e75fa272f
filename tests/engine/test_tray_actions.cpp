// The tray actions through the main form's tray services: balloons, pictures from frames, the
// default icon, frame counts and the icon animation with its timing, repeat rule and stops.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "engine/TrayAnimation.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Images: 0 the small opaque one, 1 two pixels of which the first is half transparent, 2 two
// pixels (blue, then red) of which the frame cuts out red. Animations: "idle" (endless, what
// the character plays), "wave" (a picture of duration 0, a pause frame, which lasts 150 ms, and a
// picture of 50 units; played twice), "keyed" (one frame of image 2 with red transparent) and "pauses" (pause
// frames only). Variable N (1); script n + 1 runs scripts[n].
project::ProjectSource TrayProject(std::vector<std::vector<TKPFExeAction>> scripts) {
  project::ProjectSource source = WithVariables({"N"});
  source.Images.push_back({.Width = 2, .Height = 1, .Pixels = {1, 2, 3, 128, 4, 5, 6, 255}});
  source.Images.push_back({.Width = 2, .Height = 1, .Pixels = {255, 0, 0, 255, 0, 0, 255, 255}});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  auto wave = Animation(2, "Wave", 3, 2, 3, 0);
  wave.Frames[1].Kind = 0;
  wave.Frames[2] = {.BitmapIndex = 1, .Duration = 50};
  source.Animations.push_back(wave);
  auto keyed = Animation(3, "keyed", 3, 1, 1, 10);
  keyed.Frames[0] = {.BitmapIndex = 2, .UseTransparentColor = true, .TransparentColor = 0x0000FF, .Duration = 10};
  source.Animations.push_back(keyed);
  auto pauses = Animation(4, "pauses", 3, 0, 2, 0);
  for (auto& frame : pauses.Frames) frame.Kind = 0;
  source.Animations.push_back(pauses);
  AddScripts(source, std::move(scripts), "");
  return source;
}

// A started player whose tray services record what reaches them.
struct Tray {
  explicit Tray(std::vector<std::vector<TKPFExeAction>> scripts, bool withMainForm = true)
      : h(Started(TrayProject(std::move(scripts)))) {
    if (!withMainForm) return;
    engine::MainFormHandlers handlers;
    handlers.setTrayIcon = [this](const platform::Picture& picture) { pictures.push_back({h->platform.NowMs(), picture}); };
    handlers.showTrayBalloon = [this](const platform::Balloon& balloon) { balloons.push_back(balloon); };
    h->player->SetMainFormHandlers(handlers);
  }

  std::unique_ptr<Harness<>> h;
  std::vector<std::pair<int64_t, platform::Picture>> pictures;
  std::vector<platform::Balloon> balloons;
};

TEST(TrayActionsTest, BalloonTakesItsIconKindAndAByteOfSeconds) {
  Tray t({{Act(169, {P::Text("Hi <%N%>"), P::Text("a & b"), P::Text("7"), P::Text("300")})},
          {Act(169, {P::Text("T"), P::Text("x"), P::Text("2"), P::Text("5")})}});
  t.h->Fire(1);
  t.h->Fire(2);
  ASSERT_EQ(t.balloons.size(), 2u);
  EXPECT_EQ(t.balloons[0], (platform::Balloon{"Hi 0", "a & b", platform::BalloonIcon::None, 44000}));
  EXPECT_EQ(t.balloons[1], (platform::Balloon{"T", "x", platform::BalloonIcon::Warning, 5000}));
  Tray alone({{Act(169, {P::Text("T"), P::Text("x"), P::Text("1"), P::Text("5")})}}, false);
  alone.h->Fire(1);  // without the main form nothing shows and nothing breaks
  EXPECT_TRUE(alone.h->Traced("tray-balloon title=\"T\" icon=1 ms=5000"));
}

TEST(TrayActionsTest, FramePicturesKeepTheirAlphaOrLoseTheirTransparentColour) {
  Tray t({{Act(170, {P::Text("WAVE"), P::Text("2")})},
          {Act(170, {P::Text("keyed"), P::Text("0")})},
          {Act(170, {P::Text("wave"), P::Text("1")}), Act(170, {P::Text("wave"), P::Text("3")}),
           Act(170, {P::Text("wave"), P::Text("-1")}), Act(170, {P::Text("none"), P::Text("0")})},
          {Act(172)}});
  t.h->Fire(1);
  ASSERT_EQ(t.pictures.size(), 1u);
  EXPECT_EQ(t.pictures[0].second, (platform::Picture{2, 1, {0x80030201, 0xFF060504}}));
  t.h->Fire(2);
  ASSERT_EQ(t.pictures.size(), 2u);
  EXPECT_EQ(t.pictures[1].second, (platform::Picture{2, 1, {0xFF0000FF, 0}}));
  t.h->Fire(3);  // a pause frame, frames outside the animation, an unknown name: nothing
  EXPECT_EQ(t.pictures.size(), 2u);
  t.h->Fire(4);
  ASSERT_EQ(t.pictures.size(), 3u);
  EXPECT_TRUE(t.pictures[2].second.empty());
}

TEST(TrayActionsTest, FrameCountOfAnUnknownAnimationSetsNothing) {
  Tray t({{Act(177, {P::Var(1), P::Text("wave")})},
          {Act(22, {P::Var(1), P::Text("-1")}), Act(177, {P::Var(1), P::Text("gone")})}});
  t.h->Fire(1);
  EXPECT_EQ(t.h->Int("N"), 3);
  t.h->Fire(2);
  EXPECT_EQ(t.h->Int("N"), -1);
}

TEST(TrayActionsTest, IconAnimationStepsPictureFramesAtTheirDurationsAndPlaysItsRepeats) {
  Tray t({{Act(178, {P::Text("wave")})}});
  t.h->Fire(1);
  t.h->platform.AdvanceBy(3000);
  // Frame 0 at once (10 ms), shown for the shortest interval (its duration 0 never freezes the
  // icon); the pause 150 ms; frame 2 500 ms; then the second round, and no third.
  std::vector<int64_t> times;
  for (const auto& [at, picture] : t.pictures) times.push_back(at);
  EXPECT_EQ(times, (std::vector<int64_t>{10, 170, 670, 830}));
  EXPECT_TRUE(t.h->Traced("10 tray-frame anim=\"Wave\" index=0 ms=10"));
  EXPECT_EQ(t.pictures[0].second.pixels, (std::vector<uint32_t>(16, 0xFF1E140A)));
  EXPECT_EQ(t.pictures[1].second.width, 2);
  EXPECT_TRUE(t.h->Traced("170 tray-frame anim=\"Wave\" index=2 ms=500"));
  EXPECT_FALSE(t.h->player->TrayIconAnimation().Running());
}

TEST(TrayActionsTest, IconAnimationStopsByActionByMissingNameWithoutPictureFramesAndWithItsPlayer) {
  Tray t({{Act(178, {P::Text("wave")})}, {Act(179)}, {Act(178, {P::Text("missing")})}, {Act(178, {P::Text("pauses")})}});
  engine::TrayAnimation& animation = t.h->player->TrayIconAnimation();
  t.h->Fire(1);
  t.h->platform.AdvanceBy(100);
  t.h->Fire(2);
  EXPECT_FALSE(animation.Running());
  EXPECT_EQ(std::pair(animation.FrameIndex(), animation.LoopCount()), std::pair(0, 0));
  t.h->platform.AdvanceBy(2000);
  EXPECT_EQ(t.pictures.size(), 1u);

  t.h->Fire(1);
  t.h->Fire(3);
  EXPECT_FALSE(animation.Running());
  EXPECT_TRUE(t.h->Traced("tray-anim started=0"));

  // Pause frames only, repeating for ever: one tick finds nothing to show and stops instead of
  // cycling.
  t.h->Fire(4);
  t.h->platform.AdvanceBy(100);
  EXPECT_FALSE(animation.Running());
  EXPECT_EQ(t.pictures.size(), 1u);

  // It also ends with its player.
  t.h->Fire(1);
  t.h->platform.AdvanceBy(50);
  t.h->player->Close();
  t.h->platform.AdvanceBy(2000);
  EXPECT_EQ(t.pictures.size(), 2u);
  EXPECT_FALSE(animation.Running());
}

TEST(TrayActionsTest, IconAnimationStopsWhenItsAnimationHasGone) {
  project::ProjectModel model;
  platform::headless::HeadlessPlatform platform;
  int shown = 0;
  engine::TrayAnimation animation(platform, model, [&](const project::TTaviEvent&, int, uint32_t) { ++shown; });
  project::TTaviEvent one;
  one.Name = "one";
  one.RepeatCount = 0;
  one.Frames.resize(2);
  model.Animations.push_back(one);
  ASSERT_TRUE(animation.Start("ONE"));
  platform.AdvanceBy(10);
  EXPECT_EQ(shown, 1);
  model.Animations.clear();  // the project was unloaded under it
  platform.AdvanceBy(1000);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(animation.Running());
}

}  // namespace
}  // namespace kpf::test
