#include "project/StreamPrimitives.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace kpf::project {

namespace {
template <size_t N>
std::array<uint8_t, N> ReadBytes(Stream& stream) {
  std::array<uint8_t, N> bytes{};
  stream.ReadBuffer(bytes.data(), N);
  return bytes;
}

constexpr size_t kSizedChunk = 2048;
constexpr size_t kCopyChunk = 65535;
}  // namespace

uint8_t ReadByte(Stream& stream) { return ReadBytes<1>(stream)[0]; }

// The bytes come from the stream; ByteReader decodes them, so the little-endian layout is
// spelled out in one place.
uint16_t ReadWord(Stream& stream) { return ByteReader(ReadBytes<2>(stream)).readWord(); }

int32_t ReadInt32(Stream& stream) { return ByteReader(ReadBytes<4>(stream)).readInt32(); }

double ReadDouble(Stream& stream) { return ByteReader(ReadBytes<8>(stream)).readDouble(); }

std::string ReadNulString(Stream& stream) {
  std::string text;
  uint8_t c;
  while (stream.Read(&c, 1) == 1 && c != 0) text.push_back(static_cast<char>(c));
  return text;
}

std::string ReadShortString(Stream& stream) {
  uint8_t length = ReadByte(stream);
  std::string text(length, '\0');
  stream.ReadBuffer(text.data(), length);
  text.resize(std::strlen(text.c_str()));
  return text;
}

int32_t ReadCompactCount(Stream& stream) {
  uint8_t first = ReadByte(stream);
  return first < 255 ? first : ReadInt32(stream);
}

std::vector<std::string> ReadStrings(Stream& stream) {
  int32_t count = ReadInt32(stream);
  std::vector<std::string> list;
  if (count <= 0) return list;
  // Each string takes at least its NUL byte.
  if (count > stream.Remaining()) throw EStreamError();
  list.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    std::string text;
    uint8_t c;
    for (;;) {
      if (stream.Read(&c, 1) != 1) throw EStreamError();
      if (c == 0) break;
      text.push_back(static_cast<char>(c));
    }
    list.push_back(std::move(text));
  }
  return list;
}

void ReadSizedStream(Stream& stream, MemoryStream& target) {
  int32_t size = ReadInt32(stream);
  if (size < 0 || size > stream.Remaining()) throw EStreamError();
  target.Clear();
  target.SetSize(size);
  auto& buffer = target.Buffer();
  for (size_t done = 0; done < buffer.size();) {
    size_t n = std::min(kSizedChunk, buffer.size() - done);
    stream.ReadBuffer(buffer.data() + done, n);
    done += n;
  }
  target.SetPosition(0);
}

void WriteByte(Stream& stream, uint8_t value) { stream.Write(&value, 1); }

void WriteWord(Stream& stream, uint16_t value) {
  uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  stream.Write(b, 2);
}

void WriteInt32(Stream& stream, int32_t value) {
  auto u = static_cast<uint32_t>(value);
  uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                  static_cast<uint8_t>(u >> 24)};
  stream.Write(b, 4);
}

void WriteDouble(Stream& stream, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  uint8_t b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(bits >> (8 * i));
  stream.Write(b, 8);
}

void WriteNulString(Stream& stream, std::string_view text) {
  stream.Write(text.data(), text.size());
  WriteByte(stream, 0);
}

void WriteShortString(Stream& stream, std::string_view text) {
  size_t length = std::min<size_t>(text.size(), 255);
  WriteByte(stream, static_cast<uint8_t>(length));
  stream.Write(text.data(), length);
}

void WriteCompactCount(Stream& stream, int32_t count) {
  if (count >= 0 && count < 255) {
    WriteByte(stream, static_cast<uint8_t>(count));
  } else {
    WriteByte(stream, 255);
    WriteInt32(stream, count);
  }
}

void WriteStrings(Stream& stream, const std::vector<std::string>& list) {
  WriteInt32(stream, static_cast<int32_t>(list.size()));
  for (const auto& text : list) WriteNulString(stream, text);
}

void WriteSizedStream(Stream& stream, Stream* source) {
  if (!source) {
    WriteInt32(stream, 0);
    return;
  }
  WriteInt32(stream, static_cast<int32_t>(source->Size()));
  source->SetPosition(0);
  uint8_t chunk[kSizedChunk];
  for (size_t n; (n = source->Read(chunk, sizeof chunk)) > 0;) stream.Write(chunk, n);
}

void WriteSizedBlock(Stream& stream, std::span<const uint8_t> block) {
  WriteInt32(stream, static_cast<int32_t>(block.size()));
  stream.Write(block.data(), block.size());
}

void CopyStreamBytes(Stream& source, Stream& target, int64_t count) {
  if (count < 1) return;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(count, kCopyChunk)));
  while (count > 0) {
    size_t n = static_cast<size_t>(std::min<int64_t>(count, kCopyChunk));
    source.ReadBuffer(chunk.data(), n);
    target.Write(chunk.data(), n);
    count -= static_cast<int64_t>(n);
  }
}

int32_t ReadInt32At(std::span<const uint8_t> base, size_t& offset) {
  ByteReader reader(base, offset);
  int32_t value = reader.readInt32();
  offset = reader.position();
  return value;
}

std::string ReadNulStringAt(std::span<const uint8_t> base, size_t& offset) {
  ByteReader reader(base, offset);
  std::string text = reader.readNulString();
  offset = reader.position();
  return text;
}

}  // namespace kpf::project
