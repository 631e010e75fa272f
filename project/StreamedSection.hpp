#pragma once
// The body of one section read straight from the inflating stream, for the sections that carry
// bulky bytes (images, sounds): small fields are read as from a ByteReader, and the bulky bytes
// are copied on (into the frame-data file) without the whole body ever being held.
#include <algorithm>
#include <cstdint>
#include <string>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"
#include "project/InflatingReader.hpp"

namespace kpf::project {

class StreamedSection {
 public:
  StreamedSection(InflatingReader& stream, size_t length) : stream_(stream), remaining_(length) {}

  size_t remaining() const { return remaining_; }

  std::span<const uint8_t> take(size_t count) {
    if (count > remaining_) throw EStreamError();
    remaining_ -= count;
    auto bytes = stream_.TakeUpTo(count);
    if (bytes.size() < count) StreamEnded();
    return bytes;
  }
  uint8_t readByte() { return take(1)[0]; }
  // Small fields decode with the one byte reader's little-endian rules.
  uint16_t readWord() { return ByteReader(take(2)).readWord(); }
  int32_t readInt32() { return ByteReader(take(4)).readInt32(); }
  // Bytes up to the next NUL (consumed), or up to the end of the section.
  std::string readNulString() {
    std::string text;
    while (remaining_ > 0) {
      const uint8_t c = readByte();
      if (c == 0) break;
      text.push_back(static_cast<char>(c));
    }
    return text;
  }
  size_t checkCount(int64_t count, size_t elementSize = 1) const {
    if (count < 0 || static_cast<uint64_t>(count) > remaining_ / (elementSize ? elementSize : 1))
      throw EStreamError();
    return static_cast<size_t>(count);
  }
  size_t readCount(size_t elementSize = 1) { return checkCount(readInt32(), elementSize); }

  // Hands the next `count` bytes to `sink`.
  void copyTo(const InflatingReader::Sink& sink, size_t count) {
    if (count > remaining_) throw EStreamError();
    remaining_ -= count;
    while (count > 0) {
      auto piece = stream_.TakeUpTo(std::min<size_t>(count, size_t{256} << 10));
      if (piece.empty()) StreamEnded();
      sink(piece);
      count -= piece.size();
    }
  }
  // Skips what the reader left of the section; false when the stream ended before the section
  // did.
  bool skipRest() {
    const size_t left = remaining_;
    remaining_ = 0;
    return !cut_ && stream_.Skip(left);
  }

 private:
  [[noreturn]] void StreamEnded() {
    cut_ = true;
    throw EStreamError();
  }

  InflatingReader& stream_;
  size_t remaining_;
  bool cut_ = false;
};

}  // namespace kpf::project
