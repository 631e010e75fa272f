#pragma once
// Blending 0xAARRGGBB pixels onto an opaque background, to the nearest integer.
#include <cstdint>

namespace kpf::app {

// `source` over `background` with the weight `alpha` (0..255); the result is opaque.
inline uint32_t Blend(uint32_t source, uint32_t background, uint32_t alpha) {
  uint32_t out = 0xFF000000u;
  for (const int shift : {16, 8, 0}) {
    const uint32_t s = (source >> shift) & 0xFF, d = (background >> shift) & 0xFF;
    out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
  }
  return out;
}

// A premultiplied `source`, scaled by `scale` (0..255), over `background`; the result is opaque.
inline uint32_t OverPremultiplied(uint32_t source, uint32_t background, uint32_t scale) {
  const uint32_t alpha = ((source >> 24) * scale + 127) / 255;
  uint32_t out = 0xFF000000u;
  for (const int shift : {16, 8, 0}) {
    const uint32_t s = (((source >> shift) & 0xFF) * scale + 127) / 255, d = (background >> shift) & 0xFF;
    const uint32_t value = s + (d * (255 - alpha) + 127) / 255;
    out |= (value > 255 ? 255 : value) << shift;
  }
  return out;
}

}  // namespace kpf::app
