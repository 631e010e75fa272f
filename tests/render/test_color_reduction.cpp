// Turning 32-bit pictures into 8-bit ones: grey ramp, exact palettes, box split and dithering.
#include <gtest/gtest.h>

#include <set>

#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {
namespace {

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return (r << 16) | (g << 8) | b; }

std::vector<uint8_t> IndexRow(const TVrFast256& image, int y) {
  return {image.Row(y), image.Row(y) + image.Width()};
}

// `count` distinct colours, row-table entry 0 first, 16 per row.
TVrFastBMP DistinctColours(int count) {
  TVrFastBMP bmp(16, (count + 15) / 16);
  for (int i = 0; i < bmp.Width() * bmp.Height(); ++i) {
    int n = i < count ? i : 0;
    bmp.SetPixel(i % 16, i / 16, 0xEE000000 | Rgb(n % 7 * 30, n / 7 % 7 * 30, n / 49 * 30));
  }
  return bmp;
}

TEST(Convert, GrayAveragesTheChannelsAndAnEmptySourceGivesAnEmptyPicture) {
  TVrFastBMP src(2, 1);
  src.SetPixel(0, 0, Rgb(255, 0, 0));
  src.SetPixel(1, 0, Rgb(10, 20, 31));
  TVrFast256 gray;
  gray.Convert(src, TConversionMode::cmGray);
  EXPECT_EQ(IndexRow(gray, 0), (std::vector<uint8_t>{85, 20}));
  EXPECT_EQ(std::tuple(gray.Colors()[85], gray.Colors()[255]), std::tuple(Rgb(85, 85, 85), Rgb(255, 255, 255)));
  TVrFast256 indexed(3, 3);
  indexed.Convert(TVrFastBMP(), TConversionMode::cmDither);
  EXPECT_TRUE(indexed.Empty());
}

TEST(Convert, ExactPaletteUpTo256ColoursInOrderOfAppearance) {
  for (auto mode : {TConversionMode::cmCut, TConversionMode::cmDither}) {
    TVrFastBMP src = DistinctColours(256);
    TVrFast256 indexed;
    indexed.Convert(src, mode);
    ASSERT_EQ(indexed.Width(), 16);
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(indexed.Index(i % 16, i / 16), i);
      EXPECT_EQ(indexed.Colors()[i], src.Pixel(i % 16, i / 16) & 0xFFFFFF);
    }
  }
}

TEST(Convert, RepeatedColoursKeepTheirFirstNumberAndUnusedEntriesAreBlack) {
  TVrFastBMP src(3, 2);
  const uint32_t a = Rgb(9, 9, 9), b = Rgb(1, 2, 3), c = Rgb(4, 5, 6);
  for (auto [x, y, colour] : {std::tuple{0, 0, a}, {1, 0, b}, {2, 0, a}, {0, 1, b}, {1, 1, c}, {2, 1, a}})
    src.SetPixel(x, y, colour);
  TVrFast256 indexed;
  indexed.Colors().fill(0x123456);
  indexed.Convert(src, TConversionMode::cmCut);
  EXPECT_EQ(IndexRow(indexed, 0), (std::vector<uint8_t>{0, 1, 0}));
  EXPECT_EQ(IndexRow(indexed, 1), (std::vector<uint8_t>{1, 2, 0}));
  EXPECT_EQ(std::tuple(indexed.Colors()[2], indexed.Colors()[3]), std::tuple(c, 0u));
}

TEST(Convert, With257ColoursUsesTheBoxSplitPalette) {
  TVrFastBMP src = DistinctColours(257);
  TVrFast256 indexed;
  indexed.Convert(src, TConversionMode::cmCut);
  std::set<uint32_t> palette(indexed.Colors().begin(), indexed.Colors().end());
  for (uint32_t colour : palette)  // box centres (min + max) x 4 are multiples of 4
    EXPECT_EQ(colour & 0x030303, 0u) << std::hex << colour;
  EXPECT_NE(indexed.Colors()[1], src.Pixel(1, 0) & 0xFFFFFF);
}

// Rows 0 and 1 hold the case under test; the rows after them add 256 more colours of grid
// cell (0,0,0) so that the box-split palette is used. Marked cells: red cell 0 and red cell 2.
// Boxes: red [0,2] splits at 1 into [0,0] and [2,2]: palette 0 = black, 1 = (16,0,0).
TVrFastBMP DitherPicture() {
  TVrFastBMP src(4, 2 + 65);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) src.SetPixel(x, y, Rgb(7, 0, 0));
  for (int i = 0; i < 4 * 65; ++i) {
    int n = i < 256 ? i : 0;
    src.SetPixel(i % 4, 2 + i / 4, i == 256 ? Rgb(16, 0, 0) : Rgb(n / 64, n / 8 % 8, n % 8));
  }
  return src;
}

TEST(Convert, BoxSplitCutMapsEachPixelToItsCellAndDitherDiffusesErrorsSerpentine) {
  TVrFast256 cut;
  cut.Convert(DitherPicture(), TConversionMode::cmCut);
  EXPECT_EQ(std::tuple(cut.Colors()[0], cut.Colors()[1], cut.Colors()[2]), std::tuple(0u, Rgb(16, 0, 0), 0u));
  EXPECT_EQ(IndexRow(cut, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(cut.Index(0, 66), 1);  // the (16,0,0) pixel
  // Row 0, left to right: 7 -> index 0, error 7; 7 + 49/16 = 10 lies in the unresolved cell 1,
  // nearest entry (16,0,0), error -6; 7 - 42/16 = 4 -> 0, error 4; 7 + 28/16 = 8 -> 1, error -8.
  // Row 1, right to left, starts with the errors 17, -11, -10, -36 (x16) from row 0:
  // 7 - 36/16 = 4 -> 0; (112 - 10 + 28)/16 = 8 -> 1; (112 - 11 - 56)/16 = 2 -> 0;
  // (112 + 17 + 14)/16 = 8 -> 1.
  TVrFast256 dithered;
  dithered.Convert(DitherPicture(), TConversionMode::cmDither);
  EXPECT_EQ(IndexRow(dithered, 0), (std::vector<uint8_t>{0, 1, 0, 1}));
  EXPECT_EQ(IndexRow(dithered, 1), (std::vector<uint8_t>{1, 0, 1, 0}));
}

}  // namespace
}  // namespace kpf::render
