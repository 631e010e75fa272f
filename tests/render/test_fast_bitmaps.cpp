// Fast bitmaps: sizes, nearest and bilinear resizing, clipped rectangle copies, tiling, and
// drawing frame images into them.
#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "project/Errors.hpp"
#include "project/ByteBuilder.hpp"
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {
namespace {

using Rows = std::vector<std::vector<uint32_t>>;

// Row-table order: rows[0] is entry 0 (the bottom row).
TVrFastBMP Bmp(const Rows& rows) {
  TVrFastBMP bmp(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) bmp.SetPixel(x, y, rows[y][x]);
  return bmp;
}

Rows RowsOf(const TVrFastBMP& bmp) {
  Rows rows(bmp.Height());
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) rows[y].push_back(bmp.Pixel(x, y));
  return rows;
}

// Resizes `rows` into a width x height picture with `resize` (Resize or SmoothResize).
Rows Resized(const Rows& rows, int width, int height, void (TVrFastRGB::*resize)(TVrFastRGB&) const = &TVrFastRGB::Resize) {
  TVrFastBMP dst(width, height);
  (Bmp(rows).*resize)(dst);
  return RowsOf(dst);
}

TEST(FastBitmap, SizesFollowTheRowLayouts) {
  TVrFastBMP bmp(5, 3);
  EXPECT_EQ(std::tuple(bmp.RowInc(), bmp.Gap(), bmp.Size()), std::tuple(20, 0, 60));
  TVrFast256 indexed(5, 3);
  EXPECT_EQ(std::tuple(indexed.RowInc(), indexed.Gap(), indexed.Size()), std::tuple(8, 3, 24));
  indexed.SetSize(0, 0);
  EXPECT_TRUE(indexed.Empty());
  EXPECT_EQ(indexed.Size(), 0);
  // Sizes out of range are refused and the picture is kept.
  for (auto [w, h] : {std::pair{-1, 1}, {1, -1}, {16385, 1}, {16384, 16384}})
    EXPECT_THROW(bmp.SetSize(w, h), project::KpfError) << w << "x" << h;
  EXPECT_EQ(bmp.Width(), 5);
}

TEST(Resize, NearestNeighbourEnlargesAndShrinksAndTileRepeats) {
  EXPECT_EQ(Resized({{0x00123456}}, 3, 3), Rows(3, std::vector<uint32_t>(3, 0x00123456)));
  // 2 -> 5: each pixel covers nearest(3.0) = 3 columns from nearest(0) and nearest(2.5) = 2.
  EXPECT_EQ(Resized({{1, 2}}, 5, 2), (Rows{{1, 1, 2, 2, 2}, {1, 1, 2, 2, 2}}));
  // Shrinking samples in fixed point, step 1.5: source columns and rows 0 and 1.
  const Rows square = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  EXPECT_EQ(Resized(square, 2, 2), (Rows{{1, 2}, {4, 5}}));
  EXPECT_EQ(Resized(square, 6, 1), (Rows{{1, 1, 2, 2, 3, 3}}));  // one axis shrinks: both sample
  // Tiling repeats the picture from the origin.
  EXPECT_EQ(Resized({{1, 2}, {3, 4}}, 5, 3, &TVrFastBMP::Tile),
            (Rows{{1, 2, 1, 2, 1}, {3, 4, 3, 4, 3}, {1, 2, 1, 2, 1}}));
}

TEST(Resize, WorksOnIndicesAndNeedsTheSameClass) {
  TVrFast256 src(2, 1), dst(4, 1);
  src.Row(0)[0] = 7;
  src.Row(0)[1] = 9;
  src.Resize(dst);
  EXPECT_EQ(std::vector<uint8_t>(dst.Row(0), dst.Row(0) + 4), (std::vector<uint8_t>{7, 7, 9, 9}));
  TVrFastBMP other(4, 1);
  EXPECT_THROW(src.Resize(other), std::invalid_argument);
  TVrFastBMP empty;
  Bmp({{1}}).Resize(empty);  // nothing to do
}

TEST(SmoothResize, WidthOneGivesNearestAndBilinearWeightsKeepTheFourthByte) {
  const Rows column = {{0x00000010}, {0x00FFFFFF}};
  EXPECT_EQ(Resized(column, 3, 4, &TVrFastBMP::SmoothResize), Resized(column, 3, 4));
  TVrFastBMP src = Bmp({{0x00000000, 0x00646464}}), dst = Bmp({std::vector<uint32_t>(4, 0xAB000000)});
  src.SmoothResize(dst);  // step 8192/32768 of a pixel: 0, 25, 50, 75
  EXPECT_EQ(RowsOf(dst), (Rows{{0xAB000000, 0xAB191919, 0xAB323232, 0xAB4B4B4B}}));
  // Bilinear weights in both directions. Blue only; 2 x 2 to 3 x 3 with steps of 10922/32768.
  EXPECT_EQ(Resized({{0, 200}, {100, 50}}, 3, 3, &TVrFastBMP::SmoothResize),
            (Rows{{0, 66, 133}, {33, 72, 111}, {66, 77, 88}}));
  TVrFast256 indices(2, 2), indexDst(3, 3);
  indices.Row(0)[1] = 200;
  indices.Row(1)[0] = 100;
  indices.Row(1)[1] = 50;
  indices.SmoothResize(indexDst);
  EXPECT_EQ(indexDst.Row(1)[1], 72);
}

TEST(CopyRect, ClipsEverySide) {
  struct Case {
    const char* name;
    int dstX, dstY, w, h, srcX, srcY;
    Rows expected;
  };
  const Case cases[] = {
      {"negative destination x shows the visible part", -1, 0, 3, 1, 0, 0, {{2, 3, 0}, {0, 0, 0}}},
      {"negative source y", 0, 0, 3, 2, 0, -1, {{0, 0, 0}, {1, 2, 3}}},
      {"overhang on the right", 2, 1, 3, 1, 0, 0, {{0, 0, 0}, {0, 0, 1}}},
      {"source outside", 0, 0, 3, 1, 3, 0, {{0, 0, 0}, {0, 0, 0}}},
      {"extreme arguments", INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MIN, 0, {{0, 0, 0}, {0, 0, 0}}},
  };
  TVrFastBMP src = Bmp({{1, 2, 3}});
  for (const auto& c : cases) {
    TVrFastBMP dst(3, 2);
    src.CopyRect(dst, c.dstX, c.dstY, c.w, c.h, c.srcX, c.srcY);
    EXPECT_EQ(RowsOf(dst), c.expected) << c.name;
  }
}

TEST(DrawTo, PutsTheTopImageRowIntoTheLastRowTableEntry) {
  auto block = test::PaletteEntry(2, 2, {0, 1, 2, 0}, {0xFF0000FF, 0x80FF0000, 0xFF00FF00});
  project::TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  TVrFastBMP target(7, 7);
  DrawTo(image, target);
  EXPECT_EQ(RowsOf(target), (Rows{{0xFF00FF00, 0xFF0000FF}, {0xFF0000FF, 0x80FF0000}}));
  auto argb = target.ToArgb();
  EXPECT_EQ(argb, (std::vector<uint32_t>{0xFF0000FF, 0x80FF0000, 0xFF00FF00, 0xFF0000FF}));
  auto view = ViewOf(argb, target.Width(), target.Height());
  EXPECT_EQ(std::tuple(view.pixels.data(), view.width), std::tuple(argb.data(), 2));
}

}  // namespace
}  // namespace kpf::render
