#pragma once
// Colour-keyed pictures: a picture whose pixels of one colour become transparent, as menu-entry
// pictures, tray icons and cursors use them. Colours are TColor values (red + green × 256 +
// blue × 65536).
#include <cstdint>
#include <span>

#include "platform/PopupMenu.hpp"

namespace kpf::desktop {

// "No colour": nothing is transparent.
inline constexpr int32_t kClNone = 536870911;
// "Default colour": the picture's bottom-left pixel gives the transparent colour.
inline constexpr int32_t kClDefault = 536870912;

// 0x00RRGGBB of a TColor: a system colour (top byte 0xFF) resolves through SystemColorRgb; any
// other top byte is dropped.
uint32_t TColorToRgb(int32_t color);
// The TColor of a 0x??RRGGBB pixel.
int32_t RgbToTColor(uint32_t pixel);

// An opaque picture from 0x??RRGGBB pixels (top row first) in which every pixel whose red, green
// and blue equal `color` becomes fully transparent black. kClNone keeps every pixel; kClDefault
// takes the bottom-left pixel's colour. Fewer pixels than width × height (or a non-positive
// side) give an empty picture.
platform::Picture MakeTransparent(int width, int height, std::span<const uint32_t> pixels, int32_t color);

}  // namespace kpf::desktop
