#include "platform/gtk/AlphaShape.hpp"

#include "platform/gtk/PixelRuns.hpp"

namespace kpf::platform::gtk {

Region VisiblePixelRuns(const ImageView& image) {
  return PixelRuns(image, [](uint32_t pixel) { return (pixel >> 24) != 0; });
}

}  // namespace kpf::platform::gtk
