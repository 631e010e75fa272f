#pragma once
// Writers of stored frame-image entries for the frame-image tests.
#include <zlib.h>

#include <cstdint>
#include <vector>

namespace kpf::project::testing {

inline void PutInt32(std::vector<uint8_t>& out, int32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> shift));
}

inline void PutArgb(std::vector<uint8_t>& out, uint32_t argb) {
  out.push_back(static_cast<uint8_t>(argb));        // blue
  out.push_back(static_cast<uint8_t>(argb >> 8));   // green
  out.push_back(static_cast<uint8_t>(argb >> 16));  // red
  out.push_back(static_cast<uint8_t>(argb >> 24));  // alpha
}

inline std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(data.size());
  std::vector<uint8_t> out(size);
  compress2(out.data(), &size, data.data(), data.size(), 9);
  out.resize(size);
  return out;
}

inline void PutHeader(std::vector<uint8_t>& out, int32_t width, int32_t height, uint8_t storage) {
  PutInt32(out, width);
  PutInt32(out, height);
  out.push_back(storage);
}

// Form 0 entry whose zlib stream holds `pixels` (any count, so wrong sizes can be written).
inline void PutPackedEntry(std::vector<uint8_t>& out, int32_t width, int32_t height,
                           const std::vector<uint32_t>& pixels) {
  std::vector<uint8_t> raw;
  for (uint32_t p : pixels) PutArgb(raw, p);
  auto packed = Deflate(raw);
  PutHeader(out, width, height, 0);
  PutInt32(out, static_cast<int32_t>(packed.size()));
  out.insert(out.end(), packed.begin(), packed.end());
}

inline void PutPaletteEntry(std::vector<uint8_t>& out, int32_t width, int32_t height,
                            const std::vector<uint8_t>& indices, const std::vector<uint32_t>& palette) {
  PutHeader(out, width, height, 1);
  PutInt32(out, static_cast<int32_t>(indices.size()));
  out.insert(out.end(), indices.begin(), indices.end());
  PutInt32(out, static_cast<int32_t>(palette.size() * 4));
  for (uint32_t p : palette) PutArgb(out, p);
}

}  // namespace kpf::project::testing
