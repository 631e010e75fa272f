// The character window: region and per-pixel paths, opacity, update lock, input forwarding.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlayerHarness.hpp"
#include "engine/TFormKPFPlayer.hpp"

namespace kpf::test {
namespace {

// An animation at opacity 200 over the small image with every alpha `alpha`; when `keyed`, the
// first pixel is black and black is the frame's transparent colour.
project::ProjectSource Pictured(uint8_t alpha, bool keyed) {
  project::ProjectSource source = WithVariables({});
  std::vector<uint8_t>& pixels = source.Images[0].Pixels;
  for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = alpha;
  if (keyed) std::fill_n(pixels.begin(), 3, 0);
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  source.Animations[0].Option = 200;
  source.Animations[0].Frames[0].UseTransparentColor = keyed;
  return source;
}

platform::headless::HeadlessWindow& WindowOf(Harness<>& h) { return *h.platform.LastWindow(); }

// Which path a picture takes, with and without compositing, is the character window's (tests/app);
// here the animation's opacity and the premultiplied picture reach it.
TEST(Form, AnimationOpacityReachesTheRegionAndTheLayeredPath) {
  auto h = Started(Pictured(255, true));
  auto& window = WindowOf(*h);
  EXPECT_FALSE(window.Layered());
  EXPECT_TRUE(window.Shape().has_value() && !window.Shape()->empty());
  EXPECT_EQ(window.Opacity(), 200);
  EXPECT_EQ(window.Bounds(), (platform::Rect{100, 100, 164, 164}));
  EXPECT_TRUE(window.Visible());
  auto translucent = Started(Pictured(128, false));
  EXPECT_TRUE(WindowOf(*translucent).Layered());
  ASSERT_FALSE(WindowOf(*translucent).ImagePixels().empty());
  EXPECT_EQ(WindowOf(*translucent).ImagePixels()[0] >> 24, 128u);
  EXPECT_EQ(WindowOf(*translucent).LayeredAlpha(), 200);
  std::vector<uint32_t> out;
  engine::TFormKPFPlayer::Premultiply(std::vector<uint32_t>{0x80FF8000u, 0xFF123456u, 0x00FFFFFFu}, out);
  EXPECT_EQ(out, (std::vector<uint32_t>{0x80804000u, 0xFF123456u, 0}));
}

TEST(Form, UpdateLockHoldsThePosition) {
  auto h = Started(Pictured(255, false));
  h->player->BeginUpdate();
  h->player->BeginUpdate();
  h->player->SetPosition(300, 250);
  EXPECT_EQ(WindowOf(*h).Bounds().left, 100);
  EXPECT_EQ(h->player->Left(), 100);
  h->player->EndUpdate();
  EXPECT_EQ(WindowOf(*h).Bounds().left, 100);
  h->player->EndUpdate();
  EXPECT_EQ(WindowOf(*h).Bounds(), (platform::Rect{300, 250, 364, 314}));
  EXPECT_EQ(h->player->Left(), 300);
  h->player->EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(h->player->UpdateLock(), 0);
}

TEST(Form, WindowInputReachesTheEngine) {
  auto h = Started(Pictured(255, false));
  auto& window = WindowOf(*h);
  window.PressMouse(platform::MouseButton::Right, 3, 4);
  window.ReleaseMouse(platform::MouseButton::Right);
  window.PressKey(65);
  window.ReleaseKey(65);
  EXPECT_TRUE(h->Traced("mouse-down button=1 x=3 y=4"));
  EXPECT_TRUE(h->Traced("popup"));
  EXPECT_TRUE(h->Traced("key-down code=65"));
  EXPECT_EQ(h->player->State().LastKey, -1);
  window.RequestClose();
  EXPECT_TRUE(h->player->Closed());
}

TEST(Form, MoveThatStartsAnotherAnimationSkipsTheOldFrame) {
  project::ProjectSource source = WithVariables({});
  auto runner = Animation(1, "runner", 0, 0, 3, 10, "100", "100");
  runner.MoveMode = 2;
  runner.Params = {5000, 2};
  source.Animations.push_back(runner);
  source.Animations.push_back(Animation(2, "target", 3, 0, 2, 50, "10", "10"));
  auto h = Started(source);
  EXPECT_EQ(h->platform.LastWindow()->ImageCount(), 1);
  h->platform.AdvanceTo(100);  // frame 1 of "runner" moves off screen: "target" starts instead
  EXPECT_EQ(h->player->CurrentAnimationIndex(), 1);
  EXPECT_EQ(h->platform.LastWindow()->ImageCount(), 2);
  EXPECT_EQ(h->player->FrameIndex(), 1);
}

}  // namespace
}  // namespace kpf::test
