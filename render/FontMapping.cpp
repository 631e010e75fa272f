#include "render/FontMapping.hpp"

#include <algorithm>

namespace kpf::render {

int FontPixelsFromPoints(int64_t points) {
  const int64_t clamped = std::clamp<int64_t>(points < 0 ? -points : points, 1, kMaxFontPoints);
  return static_cast<int>((clamped * kScreenDotsPerInch + 36) / 72);
}

}  // namespace kpf::render
