#pragma once
// The balloon of hint-bordered dialogs and the window region of shaped dialogs.
//
// The balloon for a client area of W × H is a picture of W × (H + 8): a rounded rectangle over
// (0, 0)-(W, H) with 10 × 10 corners in the tooltip colour with a black outline, and a tail
// below it at W / 16 whose inside is filled with the tooltip colour and opens into the body.
// The window takes the shape of the picture's pixels that differ from its top-left pixel.
#include <cstdint>

#include "platform/NativeWindow.hpp"
#include "platform/PopupMenu.hpp"

namespace kpf::dialogs {

constexpr int kBalloonTail = 8;

// The balloon picture (opaque pixels); empty when W × (H + 8) exceeds the picture limits or a
// side is not positive.
platform::Picture BalloonPicture(int clientWidth, int clientHeight);

// One 1-pixel-high rectangle per run of pixels whose colour (red, green, blue; `transparentRgb`
// is 0xRRGGBB) differs from the transparent colour, row by row.
platform::Region BitmapToRegion(const platform::Picture& picture, uint32_t transparentRgb);

// Fills the 4-connected area of the seed's colour with `colour`; a seed outside the picture, or
// one that already has the colour, changes nothing. Iterative, so any area size is safe.
void FloodFill(platform::Picture& picture, int x, int y, uint32_t colour);

}  // namespace kpf::dialogs
