#include "render/KeyedShape.hpp"

namespace kpf::render {

namespace {

bool Usable(std::span<const uint32_t> pixels, int width, int height) {
  return width > 0 && height > 0 && pixels.size() / static_cast<size_t>(width) >= static_cast<size_t>(height);
}

// Calls run(y, begin, end) for every run of non-key pixels, row by row from the top.
template <typename Run>
void ForEachRun(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb, Run run) {
  if (!Usable(pixels, width, height)) return;
  keyRgb &= 0xFFFFFF;
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    int x = 0;
    while (x < width) {
      while (x < width && (row[x] & 0xFFFFFF) == keyRgb) ++x;
      const int begin = x;
      while (x < width && (row[x] & 0xFFFFFF) != keyRgb) ++x;
      if (x > begin) run(y, begin, x);
    }
  }
}

}  // namespace

size_t CountKeyedRuns(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb) {
  size_t count = 0;
  ForEachRun(pixels, width, height, keyRgb, [&](int, int, int) { ++count; });
  return count;
}

platform::Region KeyedRuns(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb) {
  platform::Region runs;
  ForEachRun(pixels, width, height, keyRgb,
             [&](int y, int begin, int end) { runs.push_back(platform::Rect{begin, y, end, y + 1}); });
  return runs;
}

platform::ShapeMask KeyedMask(std::span<const uint32_t> pixels, int width, int height, uint32_t keyRgb) {
  platform::ShapeMask mask;
  if (!Usable(pixels, width, height)) return mask;
  mask.width = width;
  mask.height = height;
  mask.bits.assign(mask.RowBytes() * static_cast<size_t>(height), 0);
  ForEachRun(pixels, width, height, keyRgb, [&](int y, int begin, int end) {
    uint8_t* row = mask.bits.data() + static_cast<size_t>(y) * mask.RowBytes();
    for (int x = begin; x < end; ++x) row[x / 8] = static_cast<uint8_t>(row[x / 8] | (1u << (x % 8)));
  });
  return mask;
}

std::variant<platform::Region, platform::ShapeMask> KeyedShape(std::span<const uint32_t> pixels, int width, int height,
                                                               uint32_t keyRgb) {
  // One pass while the runs fit; the mask is made only for a shape of more.
  if (!Usable(pixels, width, height)) return platform::Region{};
  platform::Region runs;
  for (int y = 0; y < height; ++y) {
    const auto row = pixels.subspan(static_cast<size_t>(y) * static_cast<size_t>(width), static_cast<size_t>(width));
    ForEachRun(row, width, 1, keyRgb, [&](int, int begin, int end) { runs.push_back(platform::Rect{begin, y, end, y + 1}); });
    if (runs.size() > platform::kMaxShapeRectangles) return KeyedMask(pixels, width, height, keyRgb);
  }
  return runs;
}

}  // namespace kpf::render
