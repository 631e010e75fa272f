#include "platform/gtk/KeyColourShape.hpp"

namespace kpf::platform::gtk {

Region NonKeyPixelRuns(const ImageView& image, uint32_t keyRgb) {
  Region region;
  if (image.width <= 0 || image.height <= 0) return region;
  const auto width = static_cast<size_t>(image.width);
  if (image.pixels.size() / width < static_cast<size_t>(image.height)) return region;
  for (int y = 0; y < image.height; ++y) {
    const auto row = image.pixels.subspan(static_cast<size_t>(y) * width, width);
    int x = 0;
    while (x < image.width) {
      while (x < image.width && (row[static_cast<size_t>(x)] & 0xFFFFFF) == keyRgb) ++x;
      const int start = x;
      while (x < image.width && (row[static_cast<size_t>(x)] & 0xFFFFFF) != keyRgb) ++x;
      if (x > start) region.push_back(Rect{start, y, x, y + 1});
    }
  }
  return region;
}

}  // namespace kpf::platform::gtk
