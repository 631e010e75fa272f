#pragma once
// Stream-primitive forms read straight from a ByteReader: short strings and compact counts.
#include <cstdint>
#include <cstring>
#include <string>

#include "project/ByteReader.hpp"

namespace kpf::project {

// 1-byte length L, then L bytes; the text stops at the first NUL among them.
inline std::string ReadShortString(ByteReader& reader) {
  auto bytes = reader.take(reader.readByte());
  const void* nul = std::memchr(bytes.data(), 0, bytes.size());
  size_t length = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes.data())
                      : bytes.size();
  return std::string(reinterpret_cast<const char*>(bytes.data()), length);
}

// One byte; 255 means an int32 follows and is the value.
template <typename Reader>
int32_t ReadCompactCount(Reader& reader) {
  uint8_t first = reader.readByte();
  return first == 255 ? reader.readInt32() : first;
}

}  // namespace kpf::project
