#include "platform/gtk/KeyColourShape.hpp"

#include "platform/gtk/PixelRuns.hpp"

namespace kpf::platform::gtk {

Region NonKeyPixelRuns(const ImageView& image, uint32_t keyRgb) {
  return PixelRuns(image, [keyRgb](uint32_t pixel) { return (pixel & 0xFFFFFF) != keyRgb; });
}

}  // namespace kpf::platform::gtk
