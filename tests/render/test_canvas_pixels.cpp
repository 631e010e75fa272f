// The canvas's picture, pixels, flood fill, text and images, against the rules of its header.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "project/Errors.hpp"
#include "CanvasRows.hpp"
#include "render/Canvas.hpp"

namespace kpf::render {
namespace {

using testing::kBlack;
using testing::kRed;
using testing::kWhite;
using testing::Rows;
constexpr int32_t kBlue = 0xFF0000;

// A picture from rows of characters: '#' black, anything else white.
Canvas FromRows(const std::vector<std::string>& rows) {
  Canvas canvas(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      if (rows[y][x] == '#') canvas.SetPixel(static_cast<int>(x), static_cast<int>(y), kBlack);
    }
  }
  return canvas;
}


TEST(CanvasPicture, SizesAreBoundedAndResizingKeepsTheOverlap) {
  EXPECT_TRUE(Canvas::SizeAllowed(16384, 1024));
  EXPECT_TRUE(Canvas::SizeAllowed(0, 0));
  EXPECT_FALSE(Canvas::SizeAllowed(16385, 1));
  EXPECT_FALSE(Canvas::SizeAllowed(4097, 4097));  // above 16 M pixels
  EXPECT_FALSE(Canvas::SizeAllowed(-1, 5));
  Canvas canvas(3, 2);
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{"...", "..."}));
  canvas.SetPixel(2, 1, kBlack);
  EXPECT_THROW(canvas.SetSize(20000, 1), project::KpfError);
  EXPECT_EQ(canvas.Width(), 3);
  // New area takes a solid brush's colour, white for other brushes.
  canvas.SetBrush(kRed, 0);
  canvas.SetSize(5, 3);
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{"...RR", "..#RR", "RRRRR"}));
  canvas.SetBrush(kRed, 4);
  canvas.SetSize(2, 4);
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{"..", "..", "RR", ".."}));
  canvas.SetSize(0, 4);
  EXPECT_TRUE(canvas.Empty());
}

TEST(CanvasPicture, PixelsOutsideAreIgnoredAndColoursAreResolved) {
  Canvas canvas(4, 4);
  canvas.SetPen(kWhite, static_cast<int>(PenMode::Xor), 0, 1);  // SetPixel ignores the pen
  canvas.SetPixel(1, 2, kBlue);
  EXPECT_EQ(canvas.GetPixel(1, 2), kBlue);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {4, 0}, {0, 4}, {INT_MIN, INT_MAX}}) {
    canvas.SetPixel(x, y, kBlack);
    EXPECT_EQ(canvas.GetPixel(x, y), -1);
  }
  EXPECT_EQ(canvas.Pixels().size(), 16u);
  for (uint32_t pixel : canvas.Pixels()) EXPECT_TRUE(pixel == 0xFFFFFF || pixel == 0x0000FF);
  // A system colour (clBtnFace) resolves to its classic default; other top bytes are dropped.
  canvas.SetPixel(0, 0, static_cast<int32_t>(0xFF00000F));
  EXPECT_EQ(canvas.GetPixel(0, 0), 0xC8D0D4);
  canvas.SetPixel(0, 0, 0x12345678);
  EXPECT_EQ(canvas.GetPixel(0, 0), 0x345678);
}

TEST(CanvasFloodFill, FillsTheFourConnectedAreaOfAMaze) {
  Canvas maze = FromRows({"..#.......",
                          "..#.####..",
                          "..#.#..#..",
                          "....#.##..",
                          "#####.#...",
                          ".....#....",
                          "..........",
                          "....######"});
  maze.SetBrush(kRed, 0);
  maze.FloodFill(0, 0);
  // The fill goes round the walls but not through the diagonal gap between (4, 5) and (5, 4)
  // into the closed cell.
  EXPECT_EQ(Rows(maze), (std::vector<std::string>{"RR#RRRRRRR",
                                                  "RR#R####RR",
                                                  "RR#R#..#RR",
                                                  "RRRR#.##RR",
                                                  "#####.#RRR",
                                                  "RRRRR#RRRR",
                                                  "RRRRRRRRRR",
                                                  "RRRR######"}));
}

TEST(CanvasFloodFill, FillsAWholeLargePictureWithoutRecursion) {
  Canvas canvas(2048, 2048);
  canvas.SetBrush(kBlue, 0);
  canvas.FloodFill(1000, 1000);
  size_t blue = 0;
  for (uint32_t pixel : canvas.Pixels()) blue += pixel == 0x0000FF ? 1 : 0;  // blue as 0x00RRGGBB
  EXPECT_EQ(blue, 2048u * 2048u);
}

TEST(CanvasFloodFill, OutsideSeedsEqualColoursAndClearBrushesChangeNothing) {
  Canvas canvas = FromRows({"....", ".##.", "...."});
  const std::vector<std::string> before = Rows(canvas);
  canvas.SetBrush(kRed, 0);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{-1, 0}, {4, 1}, {0, 3}, {INT_MAX, INT_MIN}}) {
    canvas.FloodFill(x, y);
  }
  canvas.SetBrush(kWhite, 0);
  canvas.FloodFill(0, 0);
  canvas.SetBrush(kRed, 1);
  canvas.FloodFill(0, 0);
  EXPECT_EQ(Rows(canvas), before);
  // A hatched brush paints only its lines inside the area.
  canvas.SetBrush(kRed, 3);  // vertical: x mod 8 = 0
  canvas.FloodFill(3, 0);
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{"R...", "R##.", "R..."}));
}

TEST(CanvasText, SizesAndMissingFacesFollowTheScreenFontRule) {
  // 8 points are 11 pixels (rounded, not cut), and a face the desktop lacks is measured in
  // the stand-in face.
  Canvas canvas(10, 10);
  canvas.SetFont("No Such Face Anywhere", kBlue, 8, 0);
  TextLayout layout;
  EXPECT_EQ(canvas.TextExtent("Hello"), layout.Measure({std::string(kFallbackFamily), 11}, "Hello"));
  EXPECT_NE(canvas.TextExtent("Hello"), layout.Measure({std::string(kFallbackFamily), 10}, "Hello"));
}

TEST(CanvasText, DrawsOnlyInsideItsMeasuredBoxAndThePicture) {
  Canvas canvas(120, 50);
  canvas.SetFont("Sans", kBlue, 12, 0);
  const TextSize size = canvas.TextExtent("Hello");
  ASSERT_GT(size.width, 10);
  ASSERT_GT(size.height, 10);
  EXPECT_GT(canvas.TextExtent("Hello, world").width, size.width);
  EXPECT_EQ(canvas.TextExtent("").width, 0);
  canvas.TextOut(7, 5, "Hello");
  int changed = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.GetPixel(x, y) == kWhite) continue;
      ++changed;
      EXPECT_TRUE(x >= 7 && x < 7 + size.width && y >= 5 && y < 5 + size.height) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 20);
  for (uint32_t pixel : canvas.Pixels()) ASSERT_EQ(pixel >> 24, 0u);  // still a 24-bit picture
}

TEST(CanvasText, TextAtTheEdgesOrFarAwayStaysInThePicture) {
  Canvas canvas(30, 20);
  canvas.SetFont("Sans", kBlack, 1000, 15);  // huge, bold, italic, underlined, struck out
  canvas.TextOut(-40, -300, "W");
  canvas.TextOut(INT_MIN, INT_MIN, "far");
  canvas.TextOut(INT_MAX, 3, "far");
  canvas.SetFont("Sans", kBlack, 10, 0);
  canvas.TextOut(25, 15, std::string(100000, 'x'));  // cut long before Pango's units overflow
  EXPECT_EQ(canvas.Pixels().size(), 600u);
  for (uint32_t pixel : canvas.Pixels()) ASSERT_EQ(pixel >> 24, 0u);
  // Windows-1252 and UTF-8 texts both measure as text.
  EXPECT_GT(canvas.TextExtent("caf\xE9").width, canvas.TextExtent("caf").width);
  EXPECT_EQ(canvas.TextExtent("caf\xC3\xA9").width, canvas.TextExtent("caf\xE9").width);
}

TEST(CanvasText, FontValuesAreNormalised) {
  Canvas canvas(1, 1);
  canvas.SetFont("Serif, Bold 40", kRed, -12, 0x3F);
  EXPECT_EQ(canvas.Font().face, "Serif");  // a family name only
  EXPECT_EQ(canvas.Font().size, 12);
  EXPECT_EQ(canvas.Font().styleBits, 0x0F);
  canvas.SetFont(std::string(300, 'a'), kRed, 0, 0);
  EXPECT_EQ(canvas.Font().face.size(), Canvas::kMaxFaceBytes);
  EXPECT_EQ(canvas.Font().size, 1);
  canvas.SetFont("Sans", kRed, INT_MIN, 0);
  EXPECT_EQ(canvas.Font().size, Canvas::kMaxFontSize);
  // Bold text of the same face is at least as wide.
  canvas.SetFont("Sans", kRed, 20, 0);
  const int plain = canvas.TextExtent("Wide words").width;
  canvas.SetFont("Sans", kRed, 20, 1);
  EXPECT_GE(canvas.TextExtent("Wide words").width, plain);
}

TEST(CanvasImages, BlendsAlphaOrSkipsTheKeyAndClips) {
  // 3 × 1: opaque red, half-transparent blue, fully transparent green.
  const std::vector<uint32_t> argb = {0xFFFF0000, 0x800000FF, 0x0000FF00};
  Canvas blended(3, 1);
  blended.DrawImage(-1, 0, {3, 1, argb}, true, std::nullopt);
  EXPECT_EQ(blended.GetPixel(0, 0), 0xFF7F7F);  // white and blue half and half
  EXPECT_EQ(blended.GetPixel(1, 0), kWhite);
  EXPECT_EQ(blended.GetPixel(2, 0), kWhite);
  Canvas keyed(4, 1);
  keyed.DrawImage(1, 0, {3, 1, argb}, false, 0x0000FF);
  EXPECT_EQ(keyed.GetPixel(0, 0), kWhite);
  EXPECT_EQ(keyed.GetPixel(1, 0), kRed);
  EXPECT_EQ(keyed.GetPixel(2, 0), kWhite);  // the key colour is skipped
  EXPECT_EQ(keyed.GetPixel(3, 0), 0x00FF00);
  keyed.DrawImage(INT_MAX, INT_MIN, {3, 1, argb}, false, std::nullopt);
  EXPECT_EQ(keyed.GetPixel(0, 0), kWhite);
}

}  // namespace
}  // namespace kpf::render
