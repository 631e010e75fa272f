#pragma once
// TColor values (red + green * 256 + blue * 65536; top byte 0xFF: system colour index in the low
// byte) turned into opaque 0xAARRGGBB pixels.
#include <cstdint>

#include "desktop/SystemColors.hpp"

namespace kpf::project {

// System colours resolve through the classic defaults of desktop::SystemColorRgb, so that the
// shape of a frame never depends on the desktop theme of the machine. Unknown indices give black.
// Top bytes other than 0xFF are ignored.
uint32_t ColorToArgb(uint32_t tcolor);

// The classic default of system colour `index` (0..30) as 0xRRGGBB; 0 for unknown indices.
using desktop::SystemColorRgb;

}  // namespace kpf::project
