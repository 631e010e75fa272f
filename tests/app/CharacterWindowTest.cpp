// How the character window shows frames: which path each frame takes, the order of the window
// calls, shape reuse, suspended updates and whole-window opacity.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "project/Shape.hpp"
#include "render/CharacterWindow.hpp"

namespace kpf::render {
namespace {

using platform::Rect;
using Log = std::vector<std::string>;

// Records every call as one line.
class RecordingWindow : public platform::NativeWindow {
 public:
  bool composited = true;
  std::vector<std::string> calls;
  platform::Region lastShape;
  std::vector<uint32_t> lastLayered;

  void SetInput(platform::WindowInput*) override {}
  void MoveResize(int x, int y, int w, int h) override {
    calls.push_back("move " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" + std::to_string(h));
  }
  Rect Bounds() const override { return {}; }
  void SetVisible(bool) override {}
  bool Visible() const override { return true; }
  void SetTopmost(bool) override {}
  bool Topmost() const override { return false; }
  void BringToFront() override {}
  bool SupportsPerPixelAlpha() const override { return composited; }
  void ShowImage(const platform::ImageView& image) override {
    calls.push_back("image " + std::to_string(image.pixels.empty() ? 0u : image.pixels[0]));
  }
  void SetShape(const platform::Region* shape) override {
    if (shape != nullptr) lastShape = *shape;
    calls.push_back(shape != nullptr ? "shape " + std::to_string(shape->size()) : "shape none");
  }
  void ShowLayered(const platform::ImageView& image, uint8_t alpha) override {
    lastLayered.assign(image.pixels.begin(), image.pixels.end());
    calls.push_back("layered " + std::to_string(alpha));
  }
  void SetOpacity(uint8_t alpha) override { calls.push_back("opacity " + std::to_string(alpha)); }
  void SetCursor(int) override {}
};

// A 4 × 2 picture; `alpha` on the left half, opaque on the right.
struct Picture {
  std::vector<uint32_t> pixels;
  explicit Picture(uint32_t rgb, uint32_t alpha = 255) {
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 4; ++x) pixels.push_back(((x < 2 ? alpha : 255u) << 24) | rgb);
    }
  }
  platform::ImageView View() const { return {4, 2, pixels}; }
};

std::vector<uint8_t> Runs(std::initializer_list<project::ShapeRun> runs) {
  std::vector<uint8_t> bytes;
  for (const auto& run : runs) project::AppendRun(bytes, run);
  return bytes;
}

class CharacterWindowTest : public ::testing::Test {
 protected:
  // A frame with neither transparent colour nor alpha; the others start from it.
  static CharacterFrame Plain(const platform::ImageView& image, std::span<const uint8_t> runs = {}) {
    CharacterFrame frame;
    frame.image = image;
    frame.runs = runs;
    return frame;
  }
  static CharacterFrame Keyed(const Picture& picture, std::span<const uint8_t> runs, bool same = false) {
    CharacterFrame frame = Plain(picture.View(), runs);
    frame.useTransparentColor = true;
    frame.sameShape = same;
    return frame;
  }
  static CharacterFrame Alpha(const Picture& picture, std::span<const uint8_t> runs = {}) {
    CharacterFrame frame = Plain(picture.View(), runs);
    frame.hasAlpha = true;
    return frame;
  }

  // The window calls since the last look.
  std::vector<std::string> Calls() { return std::exchange(window_.calls, {}); }

  RecordingWindow window_;
  CharacterWindow character_{window_};
  Picture red_{0xFF0000};
  Picture blue_{0x0000FF};
  Picture soft_{0x808080, 0};  // left half fully transparent
  std::vector<uint8_t> runs_ = Runs({{0, 0, 3}, {1, 1, 4}});
  std::vector<uint8_t> otherRuns_ = Runs({{0, 0, 1}});
};

TEST_F(CharacterWindowTest, ColourKeyFrameShowsThePictureThenItsShapeWhichTheNextSameShapeFrameKeeps) {
  character_.DrawFrame(Keyed(red_, runs_));
  EXPECT_EQ(Calls(), (Log{"image 4294901760", "opacity 255", "shape 2"}));
  EXPECT_EQ(window_.lastShape, (platform::Region{{0, 0, 3, 1}, {1, 1, 4, 2}}));
  EXPECT_FALSE(character_.PerPixelActive());
  character_.DrawFrame(Keyed(blue_, {}, true));
  EXPECT_EQ(Calls(), (Log{"image 4278190335"}));
  ASSERT_TRUE(character_.CurrentShape());
  EXPECT_EQ(character_.CurrentShape()->size(), 2u);
  character_.DrawFrame(Keyed(red_, {}));  // transparent colour everywhere: nothing shows
  EXPECT_EQ(window_.calls.back(), "shape 0");
  character_.DrawFrame(Plain(red_.View()));  // neither transparent colour nor alpha: a full rectangle
  EXPECT_EQ(window_.calls.back(), "shape none");
  EXPECT_FALSE(character_.CurrentShape());
}

TEST_F(CharacterWindowTest, AlphaFrameIsPremultipliedAndAColourKeyFrameAfterItDropsTheLayeredPicture) {
  const Picture half(0xC86432, 128);
  character_.DrawFrame(Alpha(half));
  EXPECT_EQ(Calls(), (Log{"opacity 255", "layered 255"}));
  EXPECT_TRUE(character_.PerPixelActive());
  ASSERT_EQ(window_.lastLayered.size(), 8u);
  // 200, 100, 50 at alpha 128: 100.4, 50.2, 25.1 to the nearest integer.
  EXPECT_EQ(window_.lastLayered[0], 0x80643219u);
  EXPECT_EQ(window_.lastLayered[3], 0xFFC86432u);
  character_.DrawFrame(Keyed(red_, runs_));
  EXPECT_EQ(Calls(), (Log{"image 4294901760", "shape 2"}));
  EXPECT_FALSE(character_.PerPixelActive());
  // A same-shape frame right after a per-pixel one gets the last shape back.
  character_.DrawFrame(Alpha(soft_));
  Calls();
  character_.DrawFrame(Keyed(blue_, {}, true));
  EXPECT_EQ(Calls(), (Log{"image 4278190335", "shape 2"}));
}

// Without compositing an alpha frame takes the outline of its visible pixels, set again only
// when it changes.
TEST_F(CharacterWindowTest, AlphaFramesWithoutCompositingSetTheirOutlineOnlyWhenItChanges) {
  window_.composited = false;
  Picture half{0x808080, 0};  // the same outline as soft_ in other colours
  character_.DrawFrame(Alpha(soft_));
  EXPECT_EQ(Calls(), (Log{"image 8421504", "opacity 255", "shape 2"}));
  EXPECT_EQ(window_.lastShape, (platform::Region{{2, 0, 4, 1}, {2, 1, 4, 2}}));
  EXPECT_FALSE(character_.PerPixelActive());
  character_.DrawFrame(Alpha(soft_));
  character_.DrawFrame(Alpha(half));
  EXPECT_EQ(Calls(), (Log{"image 8421504", "image 8421504"}));
  // An outline kept by the picture is taken as it is.
  CharacterFrame kept = Alpha(red_);
  kept.alphaOutline = std::make_shared<const platform::Region>(platform::Region{{1, 1, 2, 2}});
  character_.DrawFrame(kept);
  EXPECT_EQ(Calls(), (Log{"image 4294901760", "shape 1"}));
  EXPECT_EQ(window_.lastShape, (platform::Region{{1, 1, 2, 2}}));
  // Back from a rectangular picture, the same outline is set again.
  character_.DrawFrame(Plain(red_.View()));
  character_.DrawFrame(kept);
  EXPECT_EQ(Calls(), (Log{"image 4294901760", "shape none", "image 4294901760", "shape 1"}));
}

// An empty (0 × 0) picture shows nothing: after an alpha picture or a shaped one the window
// takes an empty shape, even when the frame stores an outline or asks to keep the last one.
TEST_F(CharacterWindowTest, EmptyPictureLeavesTheWindowWithoutAnOutline) {
  CharacterFrame empty = Plain({0, 0, {}}, runs_);
  empty.hasAlpha = true;
  character_.DrawFrame(Alpha(soft_));
  Calls();
  character_.DrawFrame(empty);
  EXPECT_EQ(Calls(), (Log{"image 0", "shape 0"}));
  EXPECT_FALSE(character_.PerPixelActive());
  character_.DrawFrame(Keyed(red_, runs_));
  Calls();
  CharacterFrame emptyKeepingShape = Plain({0, 0, {}});
  emptyKeepingShape.sameShape = true;
  character_.DrawFrame(emptyKeepingShape);
  EXPECT_EQ(Calls(), (Log{"image 0", "shape 0"}));
}

TEST_F(CharacterWindowTest, SuspendedUpdatesApplyOnlyTheLastPictureShapeAndPositionOnce) {
  character_.BeginUpdate();
  character_.BeginUpdate();
  character_.SetBounds({10, 10, 14, 12});
  character_.DrawFrame(Keyed(red_, runs_));
  character_.SetBounds({20, 30, 24, 32});
  character_.DrawFrame(Keyed(blue_, otherRuns_));
  character_.DrawFrame(Keyed(red_, {}, true));  // keeps the pending shape
  character_.EndUpdate();
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(character_.UpdateLock(), 1);
  character_.EndUpdate();
  EXPECT_EQ(Calls(), (Log{"move 20,30 4x2", "image 4294901760", "opacity 255", "shape 1"}));
  EXPECT_EQ(window_.lastShape, (platform::Region{{0, 0, 1, 1}}));
  character_.EndUpdate();  // unbalanced: nothing pending, the lock stays at 0
  EXPECT_EQ(character_.UpdateLock(), 0);
  EXPECT_TRUE(Calls().empty());
}

TEST_F(CharacterWindowTest, OpacityGoesToTheWindowOrIntoThePerPixelPicture) {
  character_.DrawFrame(Keyed(red_, runs_));
  Calls();
  character_.SetAlpha(128);
  EXPECT_EQ(Calls(), (Log{"opacity 128"}));
  character_.DrawFrame(Alpha(soft_));  // the picture carries the opacity instead
  EXPECT_EQ(Calls(), (Log{"opacity 255", "layered 128"}));
  character_.SetAlpha(128);
  EXPECT_TRUE(Calls().empty());
  character_.SetAlpha(200);
  EXPECT_EQ(Calls(), (Log{"layered 200"}));
  character_.DrawFrame(Keyed(red_, runs_));
  EXPECT_EQ(Calls(), (Log{"image 4294901760", "opacity 200", "shape 2"}));
  EXPECT_EQ(character_.WindowAlpha(), 200);
}

TEST(CharacterWindowTableTest, MultiplyTableRoundsToTheNearestInteger) {
  const auto& table = CharacterWindow::MultiplyTable();
  for (uint32_t c = 0; c < 256; c += 5) {
    for (uint32_t a = 0; a < 256; a += 3) {
      const double exact = c * a / 255.0;
      ASSERT_EQ(table[c * 256 + a], static_cast<uint8_t>(exact + 0.5)) << c << " " << a;
    }
  }
}

TEST(CharacterWindowTableTest, AlphaOutlineRejectsShortPictures) {
  const std::vector<uint32_t> pixels(3, 0xFF000000);
  EXPECT_TRUE(CharacterWindow::AlphaOutline({2, 2, pixels}).empty());
  EXPECT_EQ(CharacterWindow::AlphaOutline({3, 1, pixels}), (platform::Region{{0, 0, 3, 1}}));
}

}  // namespace
}  // namespace kpf::render
