// The image control's paint: where each draw style puts the picture and the fill, and the
// composed pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "render/TVrFastIMG.hpp"

namespace kpf::render {
namespace {

using platform::Rect;

constexpr uint32_t kBrush = 0x00FF00;  // TColor green
constexpr uint32_t kBrushArgb = 0xFF00FF00;

// A bitmap whose pixel at (x, y from the top) is 0xRRGGBB = (x, y, 0x55).
TVrFastBMP Pattern(int width, int height) {
  TVrFastBMP bitmap(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bitmap.SetPixel(x, height - 1 - y, (static_cast<uint32_t>(x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x55);
    }
  }
  return bitmap;
}

uint32_t At(const std::vector<uint32_t>& pixels, int width, int x, int y) {
  return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
}

TVrFastIMG Control(TVrFastRGB& bitmap, TDrawStyle style, int width = 100, int height = 100) {
  TVrFastIMG control;
  control.SetSize(width, height);
  control.SetColor(kBrush);
  control.SetDrawStyle(style);
  control.SetBitmap(&bitmap);
  return control;
}

TEST(TVrFastIMGTest, NewControlIs100By100AndPaintsItsColourWithoutBitmap) {
  TVrFastIMG control;
  control.SetColor(0x0000FF);  // red
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_FALSE(plan.picture);
  EXPECT_EQ(plan.fill, (std::vector<Rect>{{0, 0, 100, 100}}));
  EXPECT_EQ(control.Paint()[0], 0xFFFF0000u);
}

// Where each draw style puts the picture, which rectangles it fills with the brush, and some
// composed pixels (masked: 0xFF compares the blue byte, 0x55 in the picture and 0 in the brush).
TEST(TVrFastIMGTest, DrawStylesPlaceThePictureAndFillTheRest) {
  struct Probe {
    int x, y;
    uint32_t value, mask = 0xFFFFFFFF;
  };
  struct Case {
    const char* name;
    TDrawStyle style;
    int bitmapWidth, bitmapHeight, width, height;
    Rect picture;
    std::vector<Rect> fill;
    std::vector<Probe> probes = {};
  };
  const std::vector<Case> cases = {
      {"centre of a larger bitmap: negative offset", TDrawStyle::dsCenter, 150, 120, 100, 100, {-25, -10, 125, 110}, {},
       {{0, 0, 0xFF190A55u}, {99, 99, 0xFF7C6D55u}}},  // bitmap pixels (25, 10) and (124, 109)
      {"centre of a smaller bitmap: offset truncated", TDrawStyle::dsCenter, 31, 10, 100, 100, {34, 45, 65, 55},
       {{0, 0, 100, 45}, {0, 55, 100, 100}, {0, 45, 34, 55}, {65, 45, 100, 55}},
       {{33, 50, kBrushArgb}, {34, 45, 0xFF000055u}}},
      {"resize of a wide bitmap", TDrawStyle::dsResize, 200, 100, 100, 100, {0, 25, 100, 75},
       {{0, 0, 100, 25}, {0, 75, 100, 100}},
       {{50, 24, kBrushArgb}, {50, 75, kBrushArgb}, {50, 25, 0x55, 0xFF}, {0, 25, 0x55, 0xFF}}},
      {"resize of a tall bitmap", TDrawStyle::dsResize, 10, 40, 100, 80, {40, 0, 60, 80}, {{0, 0, 40, 80}, {60, 0, 100, 80}}},
      {"resize of an empty bitmap: sizes count as 1", TDrawStyle::dsResize, 0, 0, 100, 80, {50, 0, 50, 80},
       {{0, 0, 50, 80}, {50, 0, 100, 80}}, {{0, 0, kBrushArgb}}},
      {"stretch", TDrawStyle::dsStretch, 30, 20, 64, 48, {0, 0, 64, 48}, {}},
      {"stretch without bilinear resize: nearest neighbour", TDrawStyle::dsStretch, 2, 2, 4, 4, {0, 0, 4, 4}, {},
       {{0, 0, 0xFF000055u}, {1, 1, 0xFF000055u}, {3, 3, 0xFF010155u}}},
      {"draw of a smaller bitmap", TDrawStyle::dsDraw, 40, 100, 100, 100, {0, 0, 40, 100}, {{40, 0, 100, 100}}},
      {"draw of a larger bitmap", TDrawStyle::dsDraw, 120, 120, 100, 100, {0, 0, 120, 120}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TVrFastBMP bitmap = c.bitmapWidth > 0 ? Pattern(c.bitmapWidth, c.bitmapHeight) : TVrFastBMP();
    TVrFastIMG control = Control(bitmap, c.style, c.width, c.height);
    const TPaintPlan plan = control.PlanPaint();
    EXPECT_EQ(plan.picture, c.picture);
    EXPECT_EQ(plan.fill, c.fill);
    EXPECT_EQ(plan.scaled, c.style == TDrawStyle::dsResize || c.style == TDrawStyle::dsStretch);
    EXPECT_FALSE(plan.smooth);
    const std::vector<uint32_t> pixels = control.Paint();
    for (const Probe& probe : c.probes)
      EXPECT_EQ(At(pixels, c.width, probe.x, probe.y) & probe.mask, probe.value) << probe.x << "," << probe.y;
  }
}

TEST(TVrFastIMGTest, StretchWithBilinearResizeUsesAControlSizedSmoothCopy) {
  TVrFastBMP bitmap = Pattern(30, 20);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsStretch, 64, 48);
  control.SetBilinearResize(true);
  EXPECT_TRUE(control.PlanPaint().smooth);
  TVrFastBMP expected(64, 48);
  bitmap.SmoothResize(expected);
  const std::vector<uint32_t> reference = expected.ToArgb();
  const std::vector<uint32_t> pixels = control.Paint();
  ASSERT_EQ(pixels.size(), reference.size());
  for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], 0xFF000000u | reference[i]) << i;
}

TEST(TVrFastIMGTest, TileRepeatsTheBitmap) {
  TVrFastBMP bitmap = Pattern(5, 4);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsTile, 20, 16);
  const std::vector<uint32_t> pixels = control.Paint();
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 20; ++x) {
      ASSERT_EQ(At(pixels, 20, x, y), 0xFF000055u | (static_cast<uint32_t>(x % 5) << 16) | ((y % 4) << 8)) << x << "," << y;
    }
  }
}

TEST(TVrFastIMGTest, BitmapClassSetsDataTypeAndAutoSizeTakesItsSize) {
  TVrFast256 indexed(7, 9);
  TVrFastIMG control;
  control.SetBitmap(&indexed);
  EXPECT_EQ(control.DataType(), TDataType::dtFast256);
  EXPECT_EQ(control.Width(), 100);
  control.SetAutoSize(true);
  EXPECT_EQ(control.Width(), 7);
  EXPECT_EQ(control.Height(), 9);
  TVrFastBMP full(3, 4);
  control.SetBitmap(&full);
  EXPECT_EQ(control.DataType(), TDataType::dtFastBMP);
  EXPECT_EQ(control.Width(), 3);
}

TEST(TVrFastIMGTest, LoadFileReadsABmpAndKeepsThePictureWhenTheFileIsMissingOrBad) {
  // A 2 × 1 32-bit BMP: file header, info header, two pixels (bottom row first).
  const std::vector<uint8_t> file = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                     40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                                     8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
  const auto good = std::filesystem::temp_directory_path() / "kpf-app-test-good.bmp";
  const auto bad = std::filesystem::temp_directory_path() / "kpf-app-test-bad.bmp";
  std::ofstream(good, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::ssize(file));
  std::ofstream(bad) << "not a bitmap";
  TVrFastIMG control;
  control.SetAutoSize(true);
  control.SetFileName(good.string());
  std::filesystem::remove(good);
  const TVrFastRGB* loaded = control.Bitmap();
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(control.Width(), 2);
  EXPECT_EQ(control.Height(), 1);
  EXPECT_EQ(control.Paint()[1], 0xFF605040u);
  control.LoadFile("/nonexistent/picture.bmp");
  EXPECT_EQ(control.Bitmap(), loaded);
  control.LoadFile(bad.string());
  std::filesystem::remove(bad);
  EXPECT_EQ(control.Bitmap(), loaded);
  control.SetFileName("");
  EXPECT_EQ(control.Bitmap(), nullptr);
}

}  // namespace
}  // namespace kpf::render
