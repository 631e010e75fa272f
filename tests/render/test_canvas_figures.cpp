// The canvas's lines, rectangles and round rectangles, checked pixel by pixel against the rules
// its header states (computed here independently, or drawn out as pictures).
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "CanvasRows.hpp"
#include "render/Canvas.hpp"

namespace kpf::render {
namespace {

using testing::kBlack;
using testing::kRed;
using testing::kWhite;
using testing::Rows;

using PixelSet = std::set<std::pair<int, int>>;

PixelSet PixelsOf(const Canvas& canvas, int32_t color) {
  PixelSet found;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      if (canvas.GetPixel(x, y) == color) found.insert({x, y});
    }
  }
  return found;
}


// The points of a line by the header's words: max(|dx|, |dy|) points from the start, the other
// axis at round(i * |dminor| / |dmajor|), halves away from the start.
PixelSet ExpectedLine(int x0, int y0, int x1, int y1) {
  PixelSet points;
  const int dx = x1 - x0, dy = y1 - y0;
  const int n = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < n; ++i) {
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const double minorSteps = std::floor(i * double(std::abs(xMajor ? dy : dx)) / n + 0.5);
    const int x = xMajor ? x0 + (dx > 0 ? i : -i) : x0 + (dx >= 0 ? 1 : -1) * int(minorSteps);
    const int y = xMajor ? y0 + (dy >= 0 ? 1 : -1) * int(minorSteps) : y0 + (dy > 0 ? i : -i);
    points.insert({x, y});
  }
  return points;
}

Canvas White(int width, int height) { return Canvas(width, height); }

TEST(CanvasLines, EveryOctantDrawsTheStartAndNotTheEnd) {
  const std::vector<std::pair<int, int>> deltas = {{7, 3},  {3, 7},   {-3, 7}, {-7, 3}, {-7, -3}, {-3, -7},
                                                   {3, -7}, {7, -3},  {5, 5},  {-5, 5}, {6, 0},   {0, -6},
                                                   {9, 2},  {-2, -9}, {1, 1},  {8, 4}};
  for (const auto& [dx, dy] : deltas) {
    Canvas canvas = White(32, 32);
    canvas.MoveTo(15, 15);
    canvas.LineTo(15 + dx, 15 + dy);
    EXPECT_EQ(PixelsOf(canvas, kBlack), ExpectedLine(15, 15, 15 + dx, 15 + dy)) << dx << "," << dy;
    EXPECT_EQ(canvas.GetPixel(15, 15), kBlack);
    EXPECT_EQ(canvas.GetPixel(15 + dx, 15 + dy), kWhite) << dx << "," << dy;
  }
  // A line of length 0 draws nothing.
  Canvas canvas = White(8, 8);
  canvas.MoveTo(3, 3);
  canvas.LineTo(3, 3);
  EXPECT_TRUE(PixelsOf(canvas, kBlack).empty());
}

TEST(CanvasLines, JoinedLinesDrawEachCornerOnce) {
  // XOR shows a pixel drawn twice as white again: the closed outline has all four corners.
  Canvas canvas = White(10, 10);
  canvas.SetPen(kWhite, static_cast<int>(PenMode::Xor), 0, 1);
  canvas.MoveTo(2, 2);
  for (const auto& [x, y] : std::vector<std::pair<int, int>>{{7, 2}, {7, 6}, {2, 6}, {2, 2}}) canvas.LineTo(x, y);
  PixelSet outline;
  for (int x = 2; x <= 7; ++x) outline.insert({x, 2}), outline.insert({x, 6});
  for (int y = 2; y <= 6; ++y) outline.insert({2, y}), outline.insert({7, y});
  EXPECT_EQ(PixelsOf(canvas, kBlack), outline);
}

TEST(CanvasLines, FarAwayEndsAreClippedWithoutWalkingThem) {
  Canvas canvas = White(40, 30);
  canvas.MoveTo(INT_MIN, 5);
  canvas.LineTo(INT_MAX, 5);
  canvas.MoveTo(-1000000000, -1000000000);
  canvas.LineTo(1000000000, 1000000000);
  PixelSet expected;
  for (int x = 0; x < 40; ++x) expected.insert({x, 5});
  for (int i = 0; i < 30; ++i) expected.insert({i, i});
  EXPECT_EQ(PixelsOf(canvas, kBlack), expected);
  // A wide pen far away does nothing, and the pen position follows the last end point.
  canvas.SetPen(kRed, 4, 0, 1000);
  canvas.MoveTo(INT_MIN, INT_MIN);
  canvas.LineTo(INT_MIN, INT_MAX);
  EXPECT_TRUE(PixelsOf(canvas, kRed).empty());
}

TEST(CanvasLines, WidePensCoverTheirSquaresOnceAndDrawSolid) {
  // Width 3: squares from (x - 1, y - 1); width 2: from (x, y); dashes do not apply.
  for (const auto& [width, left, top, style] :
       std::vector<std::tuple<int, int, int, int>>{{3, 1, 4, 0}, {2, 2, 5, 1}, {3, 1, 4, 6}}) {
    Canvas canvas = White(12, 10);
    canvas.SetPen(kWhite, static_cast<int>(PenMode::Xor), style, width);
    canvas.MoveTo(2, 5);
    canvas.LineTo(8, 5);
    PixelSet expected;
    for (int y = top; y < top + width; ++y) {
      for (int x = left; x < 5 + left + width; ++x) expected.insert({x, y});
    }
    EXPECT_EQ(PixelsOf(canvas, kBlack), expected) << width;
  }
  // Pen widths are clamped to 0..1000; 0 draws like 1.
  Canvas canvas = White(6, 3);
  canvas.SetPen(kBlack, 4, 0, -5);
  EXPECT_EQ(canvas.Pen().width, 0);
  canvas.MoveTo(0, 1);
  canvas.LineTo(6, 1);
  EXPECT_EQ(PixelsOf(canvas, kBlack).size(), 6u);
  canvas.SetPen(kBlack, 4, 0, 5000);
  EXPECT_EQ(canvas.Pen().width, Canvas::kMaxPenWidth);
}

TEST(CanvasLines, ThinPenStylesFollowTheirPatterns) {
  const auto drawn = [](int style) {
    Canvas canvas = White(60, 1);
    canvas.SetPen(kBlack, 4, style, 1);
    canvas.MoveTo(0, 0);
    canvas.LineTo(60, 0);
    std::string row;
    for (int x = 0; x < 60; ++x) row += canvas.GetPixel(x, 0) == kBlack ? '#' : '.';
    return row;
  };
  const auto pattern = [](std::vector<int> lengths) {
    std::string row;
    for (size_t n = 0; row.size() < 60; n = (n + 1) % lengths.size()) row += std::string(lengths[n], n % 2 ? '.' : '#');
    return row.substr(0, 60);
  };
  EXPECT_EQ(drawn(0), std::string(60, '#'));
  EXPECT_EQ(drawn(1), pattern({18, 6}));
  EXPECT_EQ(drawn(2), pattern({3, 3}));
  EXPECT_EQ(drawn(3), pattern({9, 6, 3, 6}));
  EXPECT_EQ(drawn(4), pattern({9, 3, 3, 3, 3, 3}));
  EXPECT_EQ(drawn(5), std::string(60, '.'));
  EXPECT_EQ(drawn(6), std::string(60, '#'));
  EXPECT_EQ(drawn(7), std::string(60, '#'));  // unknown styles are solid
}

TEST(CanvasLines, EveryPenModeCombinesWithTheBackground) {
  constexpr uint32_t P = 0x0F33A5, D = 0x3355F0, M = 0xFFFFFF;
  const uint32_t expected[16] = {0,           M,           D,           ~D & M,    P,       ~P & M,
                                 (P | ~D) & M, P & ~D & M, (~P | D) & M, ~P & D,    P | D,   ~(P | D) & M,
                                 P & D,       ~(P & D) & M, P ^ D,       ~(P ^ D) & M};
  for (int mode = 0; mode < 18; ++mode) {
    Canvas canvas = White(3, 1);
    canvas.SetBrush(static_cast<int32_t>(D), 0);
    canvas.FillRect(0, 0, 3, 1);
    canvas.SetPen(static_cast<int32_t>(P), mode, 0, 1);
    canvas.MoveTo(1, 0);
    canvas.LineTo(2, 0);
    // Modes past the 16 copy the pen.
    EXPECT_EQ(canvas.GetPixel(1, 0), static_cast<int32_t>(mode < 16 ? expected[mode] : P)) << mode;
    EXPECT_EQ(canvas.GetPixel(2, 0), static_cast<int32_t>(D));
  }
}

TEST(CanvasRectangles, FillCoversTheHalfOpenBoxWithTheBrushByCopy) {
  Canvas canvas = White(8, 7);
  canvas.SetPen(kWhite, static_cast<int>(PenMode::Xor), 0, 1);  // the pen mode does not apply
  canvas.SetBrush(kBlack, 0);
  canvas.FillRect(6, 5, 2, 3);  // corners the other way round
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{"........", "........", "........", "..####..",
                                                    "..####..", "........", "........"}));
  canvas.SetBrush(kRed, 1);  // clear
  canvas.FillRect(0, 0, 8, 7);
  EXPECT_TRUE(PixelsOf(canvas, kRed).empty());
  canvas.SetBrush(kRed, 0);
  canvas.FillRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(PixelsOf(canvas, kRed).size(), 56u);
}

TEST(CanvasRectangles, HatchesFollowTheirEightByEightPatterns) {
  const std::vector<std::function<bool(int, int)>> rules = {
      [](int, int y) { return y % 8 == 0; },
      [](int x, int) { return x % 8 == 0; },
      [](int x, int y) { return (x - y + 64) % 8 == 0; },
      [](int x, int y) { return (x + y) % 8 == 0; },
      [](int x, int y) { return y % 8 == 0 || x % 8 == 0; },
      [](int x, int y) { return (x - y + 64) % 8 == 0 || (x + y) % 8 == 0; },
  };
  for (int style = 2; style < 8; ++style) {
    Canvas canvas = White(20, 17);
    canvas.SetBrush(kRed, style);
    canvas.FillRect(0, 0, 20, 17);
    PixelSet expected;
    for (int y = 0; y < 17; ++y) {
      for (int x = 0; x < 20; ++x) {
        if (rules[static_cast<size_t>(style - 2)](x, y)) expected.insert({x, y});
      }
    }
    EXPECT_EQ(PixelsOf(canvas, kRed), expected) << style;
    EXPECT_EQ(PixelsOf(canvas, kWhite).size(), 20u * 17u - expected.size());
  }
}

TEST(CanvasRoundRectangles, CornersAreCutByTheEightByFourEllipse) {
  Canvas canvas = White(12, 7);
  canvas.SetBrush(kRed, 0);
  canvas.RoundRect(0, 0, 10, 6, 8, 4);
  EXPECT_EQ(Rows(canvas), (std::vector<std::string>{".########...", "#RRRRRRRR#..", "#RRRRRRRR#..", "#RRRRRRRR#..",
                                                    "#RRRRRRRR#..", ".########...", "............"}));
  // Corners given the other way round, and a clear brush leaves the inside alone.
  Canvas clear = White(12, 7);
  clear.SetBrush(kRed, 1);
  clear.RoundRect(10, 6, 0, 0, 8, 4);
  EXPECT_EQ(PixelsOf(clear, kBlack), PixelsOf(canvas, kBlack));
  EXPECT_TRUE(PixelsOf(clear, kRed).empty());
}

TEST(CanvasRoundRectangles, WidePensAreCentredExceptInsideFrame) {
  // Width 3, no rounding: the outer box grows by 1 on each side; the outline is 3 pixels deep.
  Canvas centred = White(10, 9);
  centred.SetBrush(kRed, 0);
  centred.SetPen(kBlack, 4, 0, 3);
  centred.RoundRect(2, 2, 8, 7, 0, 0);
  EXPECT_EQ(Rows(centred), (std::vector<std::string>{"..........", ".########.", ".########.", ".########.",
                                                     ".###RR###.", ".########.", ".########.", ".########.",
                                                     ".........."}));
  Canvas inside = White(14, 12);
  inside.SetBrush(kRed, 0);
  inside.SetPen(kBlack, 4, 6, 3);
  inside.RoundRect(2, 2, 12, 10, 0, 0);
  PixelSet red;
  for (int y = 5; y < 7; ++y) {
    for (int x = 5; x < 9; ++x) red.insert({x, y});
  }
  EXPECT_EQ(PixelsOf(inside, kRed), red);
  EXPECT_EQ(PixelsOf(inside, kBlack).size(), 10u * 8u - red.size());
}

TEST(CanvasRoundRectangles, ClearPenAndPenModesApplyToOutlineAndInside) {
  Canvas clearPen = White(12, 7);
  clearPen.SetBrush(kRed, 0);
  clearPen.SetPen(kBlack, 4, 5, 1);
  clearPen.RoundRect(0, 0, 10, 6, 8, 4);
  EXPECT_TRUE(PixelsOf(clearPen, kBlack).empty());
  EXPECT_EQ(PixelsOf(clearPen, kRed).size(), 32u);
  // XOR with white pen and white brush turns outline and inside black, once each.
  Canvas xored = White(12, 7);
  xored.SetPen(kWhite, static_cast<int>(PenMode::Xor), 0, 1);
  xored.SetBrush(kWhite, 0);
  xored.RoundRect(0, 0, 10, 6, 8, 4);
  EXPECT_EQ(PixelsOf(xored, kBlack).size(), 56u);
  // A round rectangle reaching far out is clipped.
  Canvas huge = White(5, 5);
  huge.SetBrush(kRed, 0);
  huge.RoundRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 8, 4);
  EXPECT_EQ(PixelsOf(huge, kRed).size(), 25u);
}

}  // namespace
}  // namespace kpf::render
