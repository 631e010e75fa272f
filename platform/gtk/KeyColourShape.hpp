#pragma once
// The outline of a picture's pixels that differ from a key colour, as rows of rectangles: the
// window shape of a picture painted on a key-coloured background.
#include <cstdint>

#include "platform/NativeWindow.hpp"

namespace kpf::platform::gtk {

// One rectangle per horizontal run of non-key pixels (compared on red, green and blue), row by
// row from the top. `keyRgb` is 0xRRGGBB. A view with fewer than width × height pixels gives an
// empty region.
Region NonKeyPixelRuns(const ImageView& image, uint32_t keyRgb);

}  // namespace kpf::platform::gtk
