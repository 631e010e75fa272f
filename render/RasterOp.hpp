#pragma once
// How a pen, or the brush inside a figure, combines with the pixel below: the 16 raster
// operations in their stored order. P is the pen (or brush) colour, D the pixel already there;
// every operation works bit by bit on the 24 colour bits.
#include <cstdint>

namespace kpf::render {

enum class PenMode : uint8_t {
  Black,        // 0
  White,        // all ones
  Nop,          // D
  Not,          // ~D
  Copy,         // P
  NotCopy,      // ~P
  MergePenNot,  // P | ~D
  MaskPenNot,   // P & ~D
  MergeNotPen,  // ~P | D
  MaskNotPen,   // ~P & D
  Merge,        // P | D
  NotMerge,     // ~(P | D)
  Mask,         // P & D
  NotMask,      // ~(P & D)
  Xor,          // P ^ D
  NotXor,       // ~(P ^ D)
};

inline constexpr int kPenModeCount = 16;
inline constexpr uint32_t kRgbBits = 0xFFFFFF;

constexpr uint32_t Combine(PenMode mode, uint32_t pen, uint32_t below) {
  uint32_t result = 0;
  switch (mode) {
    case PenMode::Black: result = 0; break;
    case PenMode::White: result = kRgbBits; break;
    case PenMode::Nop: result = below; break;
    case PenMode::Not: result = ~below; break;
    case PenMode::Copy: result = pen; break;
    case PenMode::NotCopy: result = ~pen; break;
    case PenMode::MergePenNot: result = pen | ~below; break;
    case PenMode::MaskPenNot: result = pen & ~below; break;
    case PenMode::MergeNotPen: result = ~pen | below; break;
    case PenMode::MaskNotPen: result = ~pen & below; break;
    case PenMode::Merge: result = pen | below; break;
    case PenMode::NotMerge: result = ~(pen | below); break;
    case PenMode::Mask: result = pen & below; break;
    case PenMode::NotMask: result = ~(pen & below); break;
    case PenMode::Xor: result = pen ^ below; break;
    case PenMode::NotXor: result = ~(pen ^ below); break;
  }
  return result & kRgbBits;
}

}  // namespace kpf::render
