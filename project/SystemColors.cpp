#include "project/SystemColors.hpp"

#include "desktop/PictureTransparency.hpp"

namespace kpf::project {

uint32_t ColorToArgb(uint32_t tcolor) {
  return 0xFF000000 | desktop::TColorToRgb(static_cast<int32_t>(tcolor));
}

}  // namespace kpf::project
