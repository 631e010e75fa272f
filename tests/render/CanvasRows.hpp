#pragma once
// Canvas pictures written out as rows of characters, for tests that draw what they expect.
#include <cstdint>
#include <string>
#include <vector>

#include "render/Canvas.hpp"

namespace kpf::render::testing {

inline constexpr int32_t kBlack = 0;
inline constexpr int32_t kWhite = 0xFFFFFF;
inline constexpr int32_t kRed = 0x0000FF;  // TColor: red in the low byte

// '.' white, '#' black, 'R' red, '?' anything else.
inline std::vector<std::string> Rows(const Canvas& canvas) {
  std::vector<std::string> rows;
  for (int y = 0; y < canvas.Height(); ++y) {
    std::string row;
    for (int x = 0; x < canvas.Width(); ++x) {
      const int32_t color = canvas.GetPixel(x, y);
      row += color == kWhite ? '.' : color == kBlack ? '#' : color == kRed ? 'R' : '?';
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace kpf::render::testing
