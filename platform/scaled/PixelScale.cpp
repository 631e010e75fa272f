#include "platform/scaled/PixelScale.hpp"

#include <algorithm>

namespace kpf::platform::scaled {

namespace {

// Quotient rounded towards minus infinity.
int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Pictures and masks are enlarged at most to this side; larger ones are cut at the far edge.
constexpr int64_t kMaxSide = 32767;

}  // namespace

PixelScale::PixelScale(int numerator, int denominator)
    : numerator_(std::clamp(numerator, 1, kMaxScale)), denominator_(std::clamp(denominator, 1, kMaxScale)) {}

int PixelScale::Up(int value) const {
  return ClampToWindowSystem(FloorDivide(int64_t{value} * numerator_, denominator_));
}

int PixelScale::Down(int value) const {
  return static_cast<int>(FloorDivide(int64_t{value} * denominator_, numerator_));
}

int PixelScale::UpSize(int size) const {
  if (size <= 0) return size;
  return std::max(1, Up(size));
}

Region PixelScale::Up(const Region& region) const {
  if (Identity()) return region;
  Region scaled;
  scaled.reserve(region.size());
  for (const Rect& rect : region) scaled.push_back(Up(rect));
  return scaled;
}

ShapeMask PixelScale::Up(const ShapeMask& mask) const {
  if (Identity() || mask.width <= 0 || mask.height <= 0 ||
      mask.bits.size() < mask.RowBytes() * static_cast<size_t>(mask.height)) {
    return mask;
  }
  ShapeMask scaled;
  scaled.width = static_cast<int>(std::min<int64_t>(UpSize(mask.width), kMaxSide));
  scaled.height = static_cast<int>(std::min<int64_t>(UpSize(mask.height), kMaxSide));
  scaled.bits.assign(scaled.RowBytes() * static_cast<size_t>(scaled.height), 0);
  for (int y = 0; y < scaled.height; ++y) {
    const int sourceY = std::min(Down(y), mask.height - 1);
    uint8_t* row = scaled.bits.data() + static_cast<size_t>(y) * scaled.RowBytes();
    for (int x = 0; x < scaled.width; ++x) {
      if (mask.Shows(std::min(Down(x), mask.width - 1), sourceY)) row[x / 8] |= static_cast<uint8_t>(1u << (x % 8));
    }
  }
  return scaled;
}

ImageView PixelScale::Up(const ImageView& image, std::vector<uint32_t>& pixels) const {
  const size_t count = static_cast<size_t>(std::max(image.width, 0)) * static_cast<size_t>(std::max(image.height, 0));
  if (Identity() || count == 0 || image.pixels.size() < count) return image;
  const int width = static_cast<int>(std::min<int64_t>(UpSize(image.width), kMaxSide));
  const int height = static_cast<int>(std::min<int64_t>(UpSize(image.height), kMaxSide));
  pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  // Which source column each target column shows, worked out once.
  std::vector<size_t> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) columns[static_cast<size_t>(x)] = static_cast<size_t>(std::min(Down(x), image.width - 1));
  for (int y = 0; y < height; ++y) {
    const size_t sourceRow = static_cast<size_t>(std::min(Down(y), image.height - 1)) * static_cast<size_t>(image.width);
    uint32_t* target = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (size_t x = 0; x < columns.size(); ++x) target[x] = image.pixels[sourceRow + columns[x]];
  }
  return ImageView{width, height, pixels};
}

Picture PixelScale::Up(const Picture& picture) const {
  if (Identity() || picture.empty()) return picture;
  Picture scaled;
  const ImageView view = Up(ImageView{picture.width, picture.height, picture.pixels}, scaled.pixels);
  scaled.width = view.width;
  scaled.height = view.height;
  return scaled;
}

}  // namespace kpf::platform::scaled
