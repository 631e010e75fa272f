#pragma once
// Premultiplying 0xAARRGGBB pixels by their alpha, to the nearest integer: the form a
// compositing screen takes for per-pixel transparency.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace kpf::project {

// table[c * 256 + a] = c × a / 255 to the nearest integer.
const std::array<uint8_t, 256 * 256>& MultiplyTable();

// `out` becomes `argb` with each colour channel multiplied by the pixel's alpha.
void Premultiply(std::span<const uint32_t> argb, std::vector<uint32_t>& out);

}  // namespace kpf::project
