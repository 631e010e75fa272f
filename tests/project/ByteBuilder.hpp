#pragma once
// Little-endian byte vectors written field by field, for stored data assembled by hand in tests.
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace kpf::test {

class ByteBuilder {
 public:
  ByteBuilder& u8(uint8_t v) { bytes_.push_back(v); return *this; }
  ByteBuilder& u16(uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
  ByteBuilder& i32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    return u8(u & 0xFF).u8((u >> 8) & 0xFF).u8((u >> 16) & 0xFF).u8(u >> 24);
  }
  ByteBuilder& u32(uint32_t v) { return i32(static_cast<int32_t>(v)); }
  ByteBuilder& raw(std::span<const uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  ByteBuilder& raw(std::initializer_list<uint8_t> data) {
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    return *this;
  }
  ByteBuilder& text(std::string_view t) {
    bytes_.insert(bytes_.end(), t.begin(), t.end());
    return *this;
  }
  ByteBuilder& nul(std::string_view t) { return text(t).u8(0); }
  ByteBuilder& shortString(std::string_view t) { return u8(static_cast<uint8_t>(t.size())).text(t); }
  ByteBuilder& compact(int32_t n) { return n < 255 && n >= 0 ? u8(static_cast<uint8_t>(n)) : u8(255).i32(n); }
  ByteBuilder& sized(std::span<const uint8_t> data) {
    return i32(static_cast<int32_t>(data.size())).raw(data);
  }
  // u16 tag, int32 length, body.
  ByteBuilder& section(uint16_t tag, const ByteBuilder& body) {
    return u16(tag).i32(static_cast<int32_t>(body.size())).raw(body.bytes());
  }
  ByteBuilder& end() { return u16(255).i32(0); }

  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  operator std::span<const uint8_t>() const { return bytes_; }  // NOLINT

 private:
  std::vector<uint8_t> bytes_;
};

inline std::vector<uint8_t> Deflate(std::span<const uint8_t> data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(size);
  if (compress(out.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK)
    throw std::runtime_error("compress failed");
  out.resize(size);
  return out;
}

// A project stream starts with the magic "KPF2" and its NUL.
inline ByteBuilder Magic() { ByteBuilder b; b.nul("KPF2"); return b; }

// Stored frame-image entries. ARGB values are stored little-endian: blue, green, red, alpha.
inline ByteBuilder Argb(const std::vector<uint32_t>& pixels) {
  ByteBuilder b;
  for (uint32_t p : pixels) b.i32(static_cast<int32_t>(p));
  return b;
}
// Form 0: a zlib stream of `pixels` (any count, so wrong sizes can be written).
inline ByteBuilder PackedEntry(int32_t width, int32_t height, const std::vector<uint32_t>& pixels) {
  return ByteBuilder().i32(width).i32(height).u8(0).sized(Deflate(Argb(pixels).bytes()));
}
// Form 1: one index byte per pixel and a palette.
inline ByteBuilder PaletteEntry(int32_t width, int32_t height, const std::vector<uint8_t>& indices,
                                const std::vector<uint32_t>& palette) {
  return ByteBuilder().i32(width).i32(height).u8(1).sized(indices).sized(Argb(palette).bytes());
}

}  // namespace kpf::test
