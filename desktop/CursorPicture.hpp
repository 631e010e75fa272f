#pragma once
// Custom mouse cursors: a picture with a hot spot whose pixels of the transparent colour are
// transparent, registered with the platform under the number the character image selects.
#include <cstdint>
#include <span>

#include "platform/Platform.hpp"

namespace kpf::desktop {

// The cursor of a picture given as 0x??RRGGBB pixels (top row first). `transparentColor` is a
// TColor; kClDefault takes the bottom-left pixel's colour, kClNone keeps every pixel. The hot
// spot is clamped into the picture. An unusable picture gives an empty cursor picture.
platform::CursorImage BuildCursorImage(int width, int height, std::span<const uint32_t> pixels, int hotSpotX,
                                       int hotSpotY, int32_t transparentColor);

}  // namespace kpf::desktop
