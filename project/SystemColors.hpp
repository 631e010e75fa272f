#pragma once
// TColor values (red + green * 256 + blue * 65536; top byte 0xFF: system colour index in the
// low byte) turned into opaque 0xAARRGGBB pixels.
#include <cstdint>

namespace kpf::project {

// System colours resolve through a fixed table of the classic Windows defaults ("Windows
// Standard" scheme: button face 0xD4D0C8, window 0xFFFFFF, highlight 0x0A246A, ...), so that
// the shape of a frame never depends on the desktop theme of the machine. Unknown indices give
// black. Top bytes other than 0xFF are ignored.
uint32_t ColorToArgb(uint32_t tcolor);

// The classic default of system colour `index` (0..30) as 0xRRGGBB; 0 for unknown indices.
uint32_t SystemColorRgb(uint32_t index);

}  // namespace kpf::project
