#include "dialogs/BalloonShape.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "dialogs/DialogTypes.hpp"
#include "dialogs/JpegPicture.hpp"
#include "project/SystemColors.hpp"
#include "render/LineSteps.hpp"
#include "render/SpanFill.hpp"

namespace kpf::dialogs {

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kBlack = 0xFF000000;
constexpr int kCornerRadius = 5;  // the 10 × 10 corner ellipse
constexpr int kTailWidth = 9;

class Canvas {
 public:
  explicit Canvas(platform::Picture& picture) : picture_(picture) {}
  bool Inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < picture_.width && y < picture_.height; }
  uint32_t& At(int x, int y) {
    return picture_.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture_.width) + static_cast<size_t>(x)];
  }
  void Plot(int64_t x, int64_t y, uint32_t colour) {
    if (Inside(x, y)) At(static_cast<int>(x), static_cast<int>(y)) = colour;
  }
  // From (x0, y0) towards (x1, y1), leaving out the end point, as the pen draws.
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) {
    const render::LineSteps steps(x0, y0, x1, y1);
    steps.ForEach(0, steps.Count(), [&](int64_t, render::LinePoint point) { Plot(point.x, point.y, colour); });
  }

 private:
  platform::Picture& picture_;
};

// How far row y of a rounded rectangle of height h starts inside its left edge. Unlike the
// canvas's rounded box, the corners keep their size on balloons smaller than 10 pixels, so such
// balloons keep the shape they always had.
int CornerInset(int y, int height) {
  const int fromEdge = std::min(y, height - 1 - y);
  if (fromEdge >= kCornerRadius) return 0;
  const double dy = kCornerRadius - fromEdge - 0.5;
  return static_cast<int>(std::lround(kCornerRadius - std::sqrt(kCornerRadius * kCornerRadius - dy * dy)));
}

void RoundRect(Canvas& canvas, int width, int height, uint32_t fill) {
  std::vector<int> inset(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) inset[static_cast<size_t>(y)] = CornerInset(y, height);
  const auto inside = [&](int x, int y) {
    if (y < 0 || y >= height) return false;
    const int in = inset[static_cast<size_t>(y)];
    return x >= in && x < width - in;
  };
  for (int y = 0; y < height; ++y) {
    for (int x = inset[static_cast<size_t>(y)]; x < width - inset[static_cast<size_t>(y)]; ++x) {
      const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      canvas.Plot(x, y, edge ? kBlack : fill);
    }
  }
}

}  // namespace

platform::Picture BalloonPicture(int clientWidth, int clientHeight) {
  platform::Picture picture;
  const int64_t height = int64_t{clientHeight} + kBalloonTail;
  if (clientWidth <= 0 || clientHeight < 0 || int64_t{clientWidth} > kMaxExtent ||
      int64_t{clientWidth} * height > kMaxPicturePixels)
    return picture;
  picture.width = clientWidth;
  picture.height = static_cast<int>(height);
  picture.pixels.assign(static_cast<size_t>(clientWidth) * static_cast<size_t>(height), kWhite);
  Canvas canvas(picture);
  const uint32_t tooltip = project::ColorToArgb(kTooltipColor);
  RoundRect(canvas, clientWidth, clientHeight, tooltip);
  const int32_t tail = clientWidth >> 4;
  const int32_t h = clientHeight;
  canvas.Line(tail, h + kBalloonTail, tail, h - 1, kBlack);
  canvas.Line(tail, h + kBalloonTail, tail + kTailWidth, h - 1, kBlack);
  FloodFill(picture, tail + 4, h + 1, tooltip);
  canvas.Line(tail + 1, h - 1, tail + kTailWidth, h - 1, tooltip);
  return picture;
}

platform::Region BitmapToRegion(const platform::Picture& picture, uint32_t transparentRgb) {
  platform::Region region;
  if (picture.empty()) return region;
  const auto width = static_cast<size_t>(picture.width);
  for (int y = 0; y < picture.height; ++y) {
    const uint32_t* row = picture.pixels.data() + static_cast<size_t>(y) * width;
    size_t x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0xFFFFFF) == transparentRgb) ++x;
      const size_t start = x;
      while (x < width && (row[x] & 0xFFFFFF) != transparentRgb) ++x;
      if (x > start) region.push_back({static_cast<int>(start), y, static_cast<int>(x), y + 1});
    }
  }
  return region;
}

void FloodFill(platform::Picture& picture, int x, int y, uint32_t colour) {
  Canvas canvas(picture);
  if (picture.empty() || !canvas.Inside(x, y) || canvas.At(x, y) == colour) return;
  render::ForEachFillRun(picture.pixels, picture.width, picture.height, x, y, [&](int row, int begin, int end) {
    std::fill_n(&canvas.At(begin, row), end - begin, colour);
  });
}

}  // namespace kpf::dialogs
