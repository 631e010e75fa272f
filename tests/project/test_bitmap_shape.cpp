// Run lists of frame outlines, their validation and regions, and TColor conversion.
#include <gtest/gtest.h>

#include "project/test_bitmap_entries.hpp"
#include "project/Errors.hpp"
#include "project/Shape.hpp"
#include "project/SystemColors.hpp"

namespace kpf::project {
namespace {

constexpr uint32_t T = 0xFF00FF00;  // transparent colour
constexpr uint32_t O = 0xFF123456;  // opaque
constexpr uint32_t A = 0x0000FF00;  // same RGB, alpha 0: still differs from the key

TVrBitmap ImageOf(int width, int height, const std::vector<uint32_t>& pixels, std::vector<uint8_t>& block) {
  testing::PutPackedEntry(block, width, height, pixels);
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  return image;
}

std::vector<uint8_t> Runs(std::initializer_list<ShapeRun> runs) {
  std::vector<uint8_t> bytes;
  for (const auto& run : runs) AppendRun(bytes, run);
  return bytes;
}

TEST(BuildShape, RunsBoundsAndFirstPoint) {
  std::vector<uint8_t> block;
  auto image = ImageOf(5, 4,
                       {T, T, T, T, T,
                        T, O, O, T, O,
                        O, T, T, T, T,
                        A, A, A, A, A},
                       block);
  ShapeData shape = BuildShape(image, T, false);
  EXPECT_EQ(shape.runs, Runs({{1, 1, 3}, {4, 1, 5}, {0, 2, 1}, {0, 3, 5}}));
  EXPECT_EQ(shape.runs[0], 1);  // little-endian x start
  EXPECT_EQ(shape.runs[2], 1);  // row
  EXPECT_EQ(shape.bounds, (platform::Rect{0, 1, 5, 4}));
  EXPECT_EQ(shape.firstOpaque, (platform::Point{1, 1}));

  ShapeData first = BuildShape(image, T, true);
  EXPECT_EQ(first.firstOpaque, (platform::Point{1, 1}));
  EXPECT_EQ(first.runs, Runs({{1, 1, 3}}));
}

TEST(BuildShape, FullyTransparentImageHasNoRuns) {
  std::vector<uint8_t> block;
  auto image = ImageOf(2, 2, {T, T, T, T}, block);
  ShapeData shape = BuildShape(image, T, false);
  EXPECT_TRUE(shape.runs.empty());
  EXPECT_EQ(shape.bounds, platform::Rect{});
  EXPECT_EQ(shape.firstOpaque, (platform::Point{-1, -1}));
  EXPECT_TRUE(RunListToRegion(shape.runs).empty());
}

TEST(RunListFits, AcceptsOnlyWholeRunsInsideThePicture) {
  struct Case {
    const char* name;
    std::vector<uint8_t> runs;
    bool fits;
  };
  auto partial = Runs({{0, 0, 1}});
  partial.pop_back();
  const Case cases[] = {
      {"empty", {}, true},
      {"inside", Runs({{0, 0, 4}, {3, 2, 4}}), true},
      {"partial run", partial, false},
      {"end beyond width", Runs({{0, 0, 5}}), false},
      {"row beyond height", Runs({{0, 3, 1}}), false},
      {"empty run", Runs({{2, 0, 2}}), false},
      {"reversed run", Runs({{3, 0, 1}}), false},
  };
  for (const auto& c : cases) EXPECT_EQ(RunListFits(c.runs, 4, 3), c.fits) << c.name;
}

TEST(RunList, DecodesToRunsAndRegionRectangles) {
  auto runs = Runs({{1, 0, 3}, {0, 7, 2}});
  EXPECT_EQ(DecodeRuns(runs), (std::vector<ShapeRun>{{1, 0, 3}, {0, 7, 2}}));
  EXPECT_EQ(RunListToRegion(runs), (platform::Region{{1, 0, 3, 1}, {0, 7, 2, 8}}));
  runs.pop_back();
  EXPECT_THROW(DecodeRuns(runs), KpfError);
}

TEST(RunList, SameShapeComparesLengthAndBytes) {
  auto a = Runs({{1, 0, 3}});
  EXPECT_TRUE(SameShape(a, Runs({{1, 0, 3}})));
  EXPECT_FALSE(SameShape(a, Runs({{1, 0, 4}})));
  EXPECT_FALSE(SameShape(a, Runs({{1, 0, 3}, {1, 1, 3}})));
  EXPECT_TRUE(SameShape({}, {}));
}

TEST(ColorToArgb, ConvertsTColorAndSystemColours) {
  EXPECT_EQ(ColorToArgb(0x0000FF), 0xFFFF0000u);    // red
  EXPECT_EQ(ColorToArgb(0xFF0000), 0xFF0000FFu);    // blue
  EXPECT_EQ(ColorToArgb(0x02345678), 0xFF785634u);  // other top bytes are ignored
  EXPECT_EQ(ColorToArgb(0xFF00000F), 0xFFD4D0C8u);  // button face
  EXPECT_EQ(ColorToArgb(0xFF000005), 0xFFFFFFFFu);  // window
  EXPECT_EQ(ColorToArgb(0xFF0000C8), 0xFF000000u);  // unknown index
}

}  // namespace
}  // namespace kpf::project
