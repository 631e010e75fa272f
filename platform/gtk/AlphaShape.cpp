#include "platform/gtk/AlphaShape.hpp"

#include <cstddef>

namespace kpf::platform::gtk {

Region VisiblePixelRuns(const ImageView& image) {
  Region runs;
  if (image.width <= 0 || image.height <= 0) return runs;
  const auto width = static_cast<size_t>(image.width);
  if (image.pixels.size() / width < static_cast<size_t>(image.height)) return runs;
  for (int y = 0; y < image.height; ++y) {
    const auto row = image.pixels.subspan(static_cast<size_t>(y) * width, width);
    int x = 0;
    while (x < image.width) {
      while (x < image.width && (row[x] >> 24) == 0) ++x;
      const int start = x;
      while (x < image.width && (row[x] >> 24) != 0) ++x;
      if (x > start) runs.push_back(Rect{start, y, x, y + 1});
    }
  }
  return runs;
}

}  // namespace kpf::platform::gtk
