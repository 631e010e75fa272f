#pragma once
// The outline of the pixels of a picture that a window shows, as rows of rectangles: the one scan
// behind the shapes of the per-pixel-alpha and the key-coloured pictures.
#include <cstddef>
#include <cstdint>

#include "platform/NativeWindow.hpp"

namespace kpf::platform::gtk {

// One rectangle per horizontal run of pixels for which `shown(pixel)` holds, row by row from the
// top. A view with fewer than width × height pixels gives an empty region.
template <typename Shown>
Region PixelRuns(const ImageView& image, Shown shown) {
  Region runs;
  if (image.width <= 0 || image.height <= 0) return runs;
  const auto width = static_cast<size_t>(image.width);
  if (image.pixels.size() / width < static_cast<size_t>(image.height)) return runs;
  for (int y = 0; y < image.height; ++y) {
    const auto row = image.pixels.subspan(static_cast<size_t>(y) * width, width);
    size_t x = 0;
    while (x < width) {
      while (x < width && !shown(row[x])) ++x;
      const size_t start = x;
      while (x < width && shown(row[x])) ++x;
      if (x > start) runs.push_back(Rect{static_cast<int>(start), y, static_cast<int>(x), y + 1});
    }
  }
  return runs;
}

}  // namespace kpf::platform::gtk
