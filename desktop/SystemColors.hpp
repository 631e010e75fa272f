#pragma once
// The colours that TColor values with the top byte 0xFF name (system colour index in the low
// byte). They resolve through a fixed table of the classic Windows defaults ("Windows Standard"
// scheme: button face 0xD4D0C8, window 0xFFFFFF, highlight 0x0A246A, ...), so that frame shapes,
// menu pictures and cursors never depend on the desktop theme of the machine.
#include <cstdint>

namespace kpf::desktop {

// The classic default of system colour `index` (0..30) as 0xRRGGBB; 0 (black) for unknown indices.
uint32_t SystemColorRgb(uint32_t index);

}  // namespace kpf::desktop
