#pragma once
// Bounds-checked little-endian reader over a block of memory. Every stored format is decoded
// through it (or through the stream primitives built on the same checks), so a malformed file
// always ends in EStreamError instead of a read out of bounds.
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "project/Errors.hpp"

namespace kpf::project {

class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data, size_t offset = 0) : data_(data), pos_(offset) {
    if (offset > data.size()) throw EStreamError();
  }

  size_t position() const { return pos_; }
  size_t size() const { return data_.size(); }
  size_t remaining() const { return data_.size() - pos_; }
  bool atEnd() const { return pos_ >= data_.size(); }
  std::span<const uint8_t> data() const { return data_; }

  void seek(size_t offset) {
    if (offset > data_.size()) throw EStreamError();
    pos_ = offset;
  }
  void skip(size_t count) { take(count); }

  uint8_t readByte() { return take(1)[0]; }
  uint16_t readWord() {
    auto b = take(2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
  }
  uint32_t readU32() {
    auto b = take(4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  int32_t readInt32() { return static_cast<int32_t>(readU32()); }
  uint64_t readU64() {
    uint64_t low = readU32();
    return low | (static_cast<uint64_t>(readU32()) << 32);
  }
  double readDouble() {
    uint64_t bits = readU64();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // Bytes up to the next NUL; the NUL is consumed. At the end of the data without a NUL the
  // remaining bytes are returned (the lenient form of the stream primitive).
  std::string readNulString() {
    const uint8_t* start = data_.data() + pos_;
    const void* nul = std::memchr(start, 0, remaining());
    size_t length = nul ? static_cast<const uint8_t*>(nul) - start : remaining();
    std::string text(reinterpret_cast<const char*>(start), length);
    pos_ += length + (nul ? 1 : 0);
    return text;
  }
  // Like readNulString, but a missing NUL is an error (used where a list is counted).
  std::string readTerminatedString() {
    const uint8_t* start = data_.data() + pos_;
    const void* nul = std::memchr(start, 0, remaining());
    if (!nul) throw EStreamError();
    size_t length = static_cast<const uint8_t*>(nul) - start;
    std::string text(reinterpret_cast<const char*>(start), length);
    pos_ += length + 1;
    return text;
  }

  // Next `count` bytes as a view into the data.
  std::span<const uint8_t> take(size_t count) {
    if (count > remaining()) throw EStreamError();
    auto view = data_.subspan(pos_, count);
    pos_ += count;
    return view;
  }

  // A stored length or count read as int32; must be 0..remaining()/elementSize.
  size_t readCount(size_t elementSize = 1) { return checkCount(readInt32(), elementSize); }
  size_t checkCount(int64_t count, size_t elementSize = 1) const {
    if (count < 0 || static_cast<uint64_t>(count) > remaining() / (elementSize ? elementSize : 1))
      throw EStreamError();
    return static_cast<size_t>(count);
  }

 private:
  std::span<const uint8_t> data_;
  size_t pos_ = 0;
};

}  // namespace kpf::project
