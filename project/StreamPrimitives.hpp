#pragma once
// The primitives every stored format is built from: little-endian integers, NUL-terminated and
// short strings, compact counts, string lists and sized blocks.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/ByteReader.hpp"
#include "project/Stream.hpp"

namespace kpf::project {

uint8_t ReadByte(Stream& stream);
uint16_t ReadWord(Stream& stream);
int32_t ReadInt32(Stream& stream);
double ReadDouble(Stream& stream);
// Bytes up to and including a NUL (the NUL is not returned); stops without error at the end.
std::string ReadNulString(Stream& stream);
// 1-byte length L, then L bytes; the result stops at the first NUL among them.
std::string ReadShortString(Stream& stream);
// One byte b; when b is 255 an int32 follows and is the result.
int32_t ReadCompactCount(Stream& stream);
// int32 count, then that many NUL strings. A negative count gives an empty list; a count that
// cannot fit in the remaining bytes, or a string cut off by the end, is a read error.
std::vector<std::string> ReadStrings(Stream& stream);
// int32 N, then N bytes into `target` (resized to N, left at position 0).
void ReadSizedStream(Stream& stream, MemoryStream& target);

void WriteByte(Stream& stream, uint8_t value);
void WriteWord(Stream& stream, uint16_t value);
void WriteInt32(Stream& stream, int32_t value);
void WriteDouble(Stream& stream, double value);
void WriteNulString(Stream& stream, std::string_view text);
void WriteShortString(Stream& stream, std::string_view text);
void WriteCompactCount(Stream& stream, int32_t count);
void WriteStrings(Stream& stream, const std::vector<std::string>& list);
// int32 size of `source` (0 without a source), then its bytes from its start.
void WriteSizedStream(Stream& stream, Stream* source);
void WriteSizedBlock(Stream& stream, std::span<const uint8_t> block);

// Copies `count` bytes from the source's position to the target in chunks of 65535 bytes.
void CopyStreamBytes(Stream& source, Stream& target, int64_t count);

// Memory-block readers with a running offset.
int32_t ReadInt32At(std::span<const uint8_t> base, size_t& offset);
std::string ReadNulStringAt(std::span<const uint8_t> base, size_t& offset);

}  // namespace kpf::project
