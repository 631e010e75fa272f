#pragma once
// Reading and writing the fields of one object record. A reader covers exactly the payload of
// its record (a sub-stream over the record's bytes), so no field can be read from outside it;
// every field is read with the project's stream primitives and a short payload ends in
// EStreamError.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "project/Stream.hpp"

namespace kpf::dialogs {

class PayloadReader {
 public:
  explicit PayloadReader(std::span<const uint8_t> payload) : stream_(payload) {}

  uint8_t Byte();
  int32_t Int32();
  // A 0-terminated text; one that runs to the end of the payload ends there.
  std::string Text();
  // int32 count, then that many texts.
  std::vector<std::string> Strings();
  // int32 byte count, then the bytes.
  std::vector<uint8_t> Block();
  // The next `count` bytes as a view (they must lie inside the payload).
  std::span<const uint8_t> Take(size_t count);
  size_t Remaining() const { return static_cast<size_t>(stream_.Remaining()); }
  size_t Position() const { return static_cast<size_t>(stream_.Position()); }

 private:
  project::SpanStream stream_;
};

// Little-endian int32 inside a class extension (the caller checks that 4 bytes are there).
inline int32_t Int32At(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
                              static_cast<uint32_t>(bytes[at + 2]) << 16 |
                              static_cast<uint32_t>(bytes[at + 3]) << 24);
}
inline void PutInt32(uint8_t* out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(bits >> (8 * i));
}

class PayloadWriter {
 public:
  void Byte(uint8_t value);
  void Int32(int32_t value);
  void Text(std::string_view text);
  void Strings(const std::vector<std::string>& list);
  void Block(std::span<const uint8_t> bytes);
  void Bytes(std::span<const uint8_t> bytes);
  std::span<const uint8_t> Data() const { return stream_.Data(); }

 private:
  project::MemoryStream stream_;
};

}  // namespace kpf::dialogs
