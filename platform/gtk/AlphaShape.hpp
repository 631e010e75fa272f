#pragma once
// The outline of a picture's visible pixels (alpha above 0) as rows of rectangles, for the input
// shape of a per-pixel-alpha window: clicks on fully transparent pixels go to the window below.
#include "platform/NativeWindow.hpp"

namespace kpf::platform::gtk {

// One rectangle per horizontal run, row by row from the top. A view with fewer than
// width × height pixels gives an empty region.
Region VisiblePixelRuns(const ImageView& image);

}  // namespace kpf::platform::gtk
