#include "dialogs/BalloonShape.hpp"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "dialogs/DialogTypes.hpp"
#include "dialogs/JpegPicture.hpp"
#include "project/SystemColors.hpp"

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
  void Line(int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t colour) {
    const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t error = dx + dy;
    while (x0 != x1 || y0 != y1) {
      Plot(x0, y0, colour);
      const int64_t twice = 2 * error;
      if (twice >= dy) error += dy, x0 += sx;
      if (twice <= dx) error += dx, y0 += sy;
    }
  }

 private:
  platform::Picture& picture_;
};

// How far row y of a rounded rectangle of height h starts inside its left edge.
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
  const int64_t tail = clientWidth >> 4;
  const int64_t h = clientHeight;
  canvas.Line(tail, h + kBalloonTail, tail, h - 1, kBlack);
  canvas.Line(tail, h + kBalloonTail, tail + kTailWidth, h - 1, kBlack);
  if (canvas.Inside(tail + 4, h + 1)) FloodFill(picture, static_cast<int>(tail + 4), static_cast<int>(h + 1), tooltip);
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
  if (picture.empty() || !canvas.Inside(x, y)) return;
  const uint32_t target = canvas.At(x, y);
  if (target == colour) return;
  std::vector<std::pair<int, int>> pending{{x, y}};
  while (!pending.empty()) {
    auto [seedX, seedY] = pending.back();
    pending.pop_back();
    if (canvas.At(seedX, seedY) != target) continue;
    int left = seedX;
    while (left > 0 && canvas.At(left - 1, seedY) == target) --left;
    int right = seedX;
    while (right + 1 < picture.width && canvas.At(right + 1, seedY) == target) ++right;
    for (int column = left; column <= right; ++column) canvas.At(column, seedY) = colour;
    // One seed per run of the target colour in the rows above and below.
    for (int row : {seedY - 1, seedY + 1}) {
      if (row < 0 || row >= picture.height) continue;
      bool inRun = false;
      for (int column = left; column <= right; ++column) {
        const bool match = canvas.At(column, row) == target;
        if (match && !inRun) pending.emplace_back(column, row);
        inRun = match;
      }
    }
  }
}

}  // namespace kpf::dialogs
