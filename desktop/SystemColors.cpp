#include "desktop/SystemColors.hpp"

#include <array>

namespace kpf::desktop {

namespace {

// Classic defaults of the system colour indices 0..30, as 0xRRGGBB.
constexpr std::array<uint32_t, 31> kClassicColors = {
    0xD4D0C8,  //  0 scroll bar
    0x3A6EA5,  //  1 desktop background
    0x0A246A,  //  2 active caption
    0x808080,  //  3 inactive caption
    0xD4D0C8,  //  4 menu
    0xFFFFFF,  //  5 window
    0x000000,  //  6 window frame
    0x000000,  //  7 menu text
    0x000000,  //  8 window text
    0xFFFFFF,  //  9 caption text
    0xD4D0C8,  // 10 active border
    0xD4D0C8,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x0A246A,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xD4D0C8,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xD4D0C8,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x404040,  // 21 3-D dark shadow
    0xD4D0C8,  // 22 3-D light
    0x000000,  // 23 info text
    0xFFFFE1,  // 24 info background
    0x000000,  // 25 (unused index)
    0x000080,  // 26 hot-tracked item
    0xA6CAF0,  // 27 active caption gradient
    0xC0C0C0,  // 28 inactive caption gradient
    0x0A246A,  // 29 menu highlight
    0xD4D0C8,  // 30 menu bar
};

}  // namespace

uint32_t SystemColorRgb(uint32_t index) {
  return index < kClassicColors.size() ? kClassicColors[index] : 0;
}

}  // namespace kpf::desktop
