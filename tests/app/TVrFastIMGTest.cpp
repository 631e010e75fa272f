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
  EXPECT_EQ(control.Width(), 100);
  EXPECT_EQ(control.Height(), 100);
  control.SetColor(0x0000FF);  // red
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_FALSE(plan.picture);
  EXPECT_EQ(plan.fill, (std::vector<Rect>{{0, 0, 100, 100}}));
  EXPECT_EQ(control.Paint()[0], 0xFFFF0000u);
}

TEST(TVrFastIMGTest, CenterOfALargerBitmapDrawsAtANegativeOffsetAndFillsNothing) {
  TVrFastBMP bitmap = Pattern(150, 120);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsCenter);
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_EQ(plan.picture, (Rect{-25, -10, 125, 110}));
  EXPECT_TRUE(plan.fill.empty());
  const std::vector<uint32_t> pixels = control.Paint();
  EXPECT_EQ(At(pixels, 100, 0, 0), 0xFF190A55u);  // bitmap pixel (25, 10)
  EXPECT_EQ(At(pixels, 100, 99, 99), 0xFF7C6D55u);  // (124, 109)
}

TEST(TVrFastIMGTest, CenterOfASmallerBitmapTruncatesTheOffsetAndFillsAround) {
  TVrFastBMP bitmap = Pattern(31, 10);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsCenter);
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_EQ(plan.picture, (Rect{34, 45, 65, 55}));
  EXPECT_EQ(plan.fill, (std::vector<Rect>{{0, 0, 100, 45}, {0, 55, 100, 100}, {0, 45, 34, 55}, {65, 45, 100, 55}}));
  const std::vector<uint32_t> pixels = control.Paint();
  EXPECT_EQ(At(pixels, 100, 33, 50), kBrushArgb);
  EXPECT_EQ(At(pixels, 100, 34, 45), 0xFF000055u);
}

TEST(TVrFastIMGTest, ResizeFitsA200By100BitmapAs100By50AtY25) {
  TVrFastBMP bitmap = Pattern(200, 100);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsResize);
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_EQ(plan.picture, (Rect{0, 25, 100, 75}));
  EXPECT_TRUE(plan.scaled);
  EXPECT_FALSE(plan.smooth);
  EXPECT_EQ(plan.fill, (std::vector<Rect>{{0, 0, 100, 25}, {0, 75, 100, 100}}));
  const std::vector<uint32_t> pixels = control.Paint();
  EXPECT_EQ(At(pixels, 100, 50, 24), kBrushArgb);
  EXPECT_EQ(At(pixels, 100, 50, 75), kBrushArgb);
  EXPECT_NE(At(pixels, 100, 50, 25), kBrushArgb);
  EXPECT_EQ(At(pixels, 100, 0, 25) & 0xFF, 0x55u);
}

TEST(TVrFastIMGTest, ResizeOfATallBitmapCentresHorizontallyAndZeroSizesCountAsOne) {
  TVrFastBMP tall = Pattern(10, 40);
  TVrFastIMG control = Control(tall, TDrawStyle::dsResize, 100, 80);
  EXPECT_EQ(control.PlanPaint().picture, (Rect{40, 0, 60, 80}));
  TVrFastBMP empty;
  TVrFastIMG none = Control(empty, TDrawStyle::dsResize, 100, 80);
  EXPECT_EQ(none.PlanPaint().picture, (Rect{50, 0, 50, 80}));  // no width: nothing drawn
  EXPECT_EQ(none.Paint()[0], kBrushArgb);
}

TEST(TVrFastIMGTest, StretchWithBilinearResizeUsesAControlSizedSmoothCopy) {
  TVrFastBMP bitmap = Pattern(30, 20);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsStretch, 64, 48);
  control.SetBilinearResize(true);
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_EQ(plan.picture, (Rect{0, 0, 64, 48}));
  EXPECT_TRUE(plan.smooth);
  EXPECT_TRUE(plan.fill.empty());
  TVrFastBMP expected(64, 48);
  bitmap.SmoothResize(expected);
  const std::vector<uint32_t> reference = expected.ToArgb();
  const std::vector<uint32_t> pixels = control.Paint();
  ASSERT_EQ(pixels.size(), reference.size());
  for (size_t i = 0; i < pixels.size(); ++i) ASSERT_EQ(pixels[i], 0xFF000000u | reference[i]) << i;
}

TEST(TVrFastIMGTest, StretchWithoutBilinearResizeIsNearestNeighbour) {
  TVrFastBMP bitmap = Pattern(2, 2);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsStretch, 4, 4);
  const std::vector<uint32_t> pixels = control.Paint();
  EXPECT_EQ(At(pixels, 4, 0, 0), 0xFF000055u);
  EXPECT_EQ(At(pixels, 4, 1, 1), 0xFF000055u);
  EXPECT_EQ(At(pixels, 4, 3, 3), 0xFF010155u);
}

TEST(TVrFastIMGTest, DrawPutsTheBitmapAtTheOriginAndFillsTheRest) {
  TVrFastBMP bitmap = Pattern(40, 100);
  TVrFastIMG control = Control(bitmap, TDrawStyle::dsDraw);
  const TPaintPlan plan = control.PlanPaint();
  EXPECT_EQ(plan.picture, (Rect{0, 0, 40, 100}));
  EXPECT_EQ(plan.fill, (std::vector<Rect>{{40, 0, 100, 100}}));
  TVrFastBMP large = Pattern(120, 120);
  EXPECT_TRUE(Control(large, TDrawStyle::dsDraw).PlanPaint().fill.empty());
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

TEST(TVrFastIMGTest, LoadFileKeepsThePictureWhenTheFileIsMissingOrBad) {
  TVrFastBMP bitmap = Pattern(3, 3);
  TVrFastIMG control;
  control.SetBitmap(&bitmap);
  control.LoadFile("/nonexistent/picture.bmp");
  EXPECT_EQ(control.Bitmap(), &bitmap);
  const auto bad = std::filesystem::temp_directory_path() / "kpf-app-test-bad.bmp";
  std::ofstream(bad) << "not a bitmap";
  control.LoadFile(bad.string());
  EXPECT_EQ(control.Bitmap(), &bitmap);
  std::filesystem::remove(bad);
  control.SetFileName("");
  EXPECT_EQ(control.Bitmap(), nullptr);
}

TEST(TVrFastIMGTest, LoadFileReadsABmpIntoABitmapOfTheDataType) {
  // A 2 × 1 32-bit BMP: file header, info header, two pixels (bottom row first).
  std::vector<uint8_t> file = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                               40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0,
                               8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                               0x10, 0x20, 0x30, 0, 0x40, 0x50, 0x60, 0};
  const auto path = std::filesystem::temp_directory_path() / "kpf-app-test-good.bmp";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                              static_cast<std::streamsize>(file.size()));
  TVrFastIMG control;
  control.SetAutoSize(true);
  control.SetFileName(path.string());
  std::filesystem::remove(path);
  ASSERT_NE(control.Bitmap(), nullptr);
  EXPECT_EQ(control.Width(), 2);
  EXPECT_EQ(control.Height(), 1);
  EXPECT_EQ(control.Paint()[1], 0xFF605040u);
}

}  // namespace
}  // namespace kpf::render
