#include "project/Premultiply.hpp"

namespace kpf::project {

const std::array<uint8_t, 256 * 256>& MultiplyTable() {
  static const std::array<uint8_t, 256 * 256> table = [] {
    std::array<uint8_t, 256 * 256> values{};
    for (uint32_t c = 0; c < 256; ++c) {
      for (uint32_t a = 0; a < 256; ++a) values[c * 256 + a] = static_cast<uint8_t>((c * a + 127) / 255);
    }
    return values;
  }();
  return table;
}

void Premultiply(std::span<const uint32_t> argb, std::vector<uint32_t>& out) {
  const auto& table = MultiplyTable();
  out.resize(argb.size());
  for (size_t i = 0; i < argb.size(); ++i) {
    const uint32_t p = argb[i];
    const uint32_t a = p >> 24;
    if (a == 255 || a == 0) {
      // Opaque pixels keep their colour; clear ones become 0 in every channel.
      out[i] = a == 255 ? p : 0;
      continue;
    }
    const uint32_t r = table[((p >> 16) & 0xFF) * 256 + a];
    const uint32_t g = table[((p >> 8) & 0xFF) * 256 + a];
    const uint32_t b = table[(p & 0xFF) * 256 + a];
    out[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
}

}  // namespace kpf::project
