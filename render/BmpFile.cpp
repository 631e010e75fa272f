#include "render/BmpFile.hpp"

#include <bit>
#include <filesystem>
#include <fstream>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"
#include "render/TVrFastRGB.hpp"

namespace kpf::render {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitFields = 3;

[[noreturn]] void Invalid(const std::string& reason) { throw project::KpfError("Invalid BMP file: " + reason); }

bool Fits(uint64_t offset, uint64_t length, size_t size) { return offset <= size && length <= size - offset; }

}  // namespace

std::vector<uint8_t> BmpFile::ReadFile(const std::string& path) {
  std::error_code error;
  auto size = std::filesystem::file_size(path, error);
  if (error) throw project::KpfError("Cannot open BMP file: " + path);
  if (size > kMaxFileBytes) Invalid("file too large");
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
    throw project::KpfError("Cannot read BMP file: " + path);
  return bytes;
}

BmpFile::BmpFile(std::span<const uint8_t> file) : file_(file) { ReadHeaders(); }

void BmpFile::ReadHeaders() {
  if (file_.size() < kFileHeaderBytes + kInfoHeaderBytes) Invalid("file too short");
  if (file_[0] != 'B' || file_[1] != 'M') Invalid("missing BM signature");
  project::ByteReader reader(file_, 10);
  const uint32_t pixelOffset = reader.readU32();
  const uint32_t infoSize = reader.readU32();
  if (infoSize < kInfoHeaderBytes || !Fits(kFileHeaderBytes, infoSize, file_.size())) Invalid("unsupported info header");
  const int64_t width = reader.readInt32();
  const int64_t storedHeight = reader.readInt32();
  reader.readWord();  // planes: always one, not needed
  bitCount_ = reader.readWord();
  const uint32_t compression = reader.readU32();
  reader.skip(12);  // image size and resolution, not needed
  const uint32_t colorsUsed = reader.readU32();

  const int64_t height = storedHeight < 0 ? -storedHeight : storedHeight;
  if (width < 1 || width > TVrFastRGB::kMaxSide || height < 1 || height > TVrFastRGB::kMaxSide ||
      width * height > TVrFastRGB::kMaxPixels)
    Invalid("size out of range");
  width_ = static_cast<int>(width);
  height_ = static_cast<int>(height);
  topDown_ = storedHeight < 0;
  if (bitCount_ != 1 && bitCount_ != 4 && bitCount_ != 8 && bitCount_ != 16 && bitCount_ != 24 && bitCount_ != 32)
    Invalid("unsupported bit count " + std::to_string(bitCount_));
  const bool bitFields = compression == kCompressionBitFields && (bitCount_ == 16 || bitCount_ == 32);
  if (compression != kCompressionNone && !bitFields) Invalid("unsupported compression " + std::to_string(compression));

  // Bit-field masks follow a 40-byte header, or lie inside a larger one at the same place.
  const size_t masksOffset = kFileHeaderBytes + kInfoHeaderBytes;
  size_t paletteOffset = kFileHeaderBytes + infoSize;
  if (bitFields && infoSize == kInfoHeaderBytes) paletteOffset += 12;
  ReadMasks(masksOffset, compression);
  rawAlpha_ = bitCount_ == 32 && compression == kCompressionNone;
  if (bitCount_ <= 8) ReadPalette(paletteOffset, colorsUsed);

  rowBytes_ = (static_cast<size_t>(bitCount_) * width_ + 31) / 32 * 4;
  if (!Fits(pixelOffset, uint64_t{rowBytes_} * height_, file_.size())) Invalid("pixel data beyond the end of the file");
  pixelOffset_ = pixelOffset;
}

void BmpFile::ReadMasks(size_t masksOffset, uint32_t compression) {
  std::array<uint32_t, 3> masks{};
  if (bitCount_ == 16) masks = {0x7C00, 0x03E0, 0x001F};
  if (bitCount_ == 32) masks = {0xFF0000, 0x00FF00, 0x0000FF};
  if (compression == kCompressionBitFields) {
    if (!Fits(masksOffset, 12, file_.size())) Invalid("bit-field masks beyond the end of the file");
    project::ByteReader reader(file_, masksOffset);
    for (auto& mask : masks) mask = reader.readU32();
  }
  for (size_t i = 0; i < masks.size(); ++i) channels_[i] = MakeChannel(masks[i]);
}

void BmpFile::ReadPalette(size_t paletteOffset, uint32_t colorsUsed) {
  const uint32_t full = 1u << bitCount_;
  const uint32_t count = colorsUsed == 0 || colorsUsed > full ? full : colorsUsed;
  if (!Fits(paletteOffset, uint64_t{count} * 4, file_.size())) Invalid("colour table beyond the end of the file");
  project::ByteReader reader(file_, paletteOffset);
  palette_.resize(count);
  for (auto& entry : palette_) entry = reader.readU32() & 0x00FFFFFF;
}

BmpFile::Channel BmpFile::MakeChannel(uint32_t mask) {
  if (mask == 0) return {};
  int shift = std::countr_zero(mask);
  return {mask, shift, static_cast<int>(std::bit_width(mask >> shift))};
}

// Scales a channel of any width to 8 bits: wider ones keep their top bits, narrower ones
// repeat their bits so that full intensity stays 255.
uint8_t BmpFile::Expand(uint32_t value, const Channel& channel) {
  if (channel.bits == 0) return 0;
  uint32_t v = (value & channel.mask) >> channel.shift;
  if (channel.bits >= 8) return static_cast<uint8_t>(v >> (channel.bits - 8));
  uint32_t out = 0;
  for (int pos = 8 - channel.bits; pos > -channel.bits; pos -= channel.bits) out |= pos >= 0 ? v << pos : v >> -pos;
  return static_cast<uint8_t>(out);
}

const uint8_t* BmpFile::RowData(int y) const {
  int stored = topDown_ ? height_ - 1 - y : y;
  return file_.data() + pixelOffset_ + static_cast<size_t>(stored) * rowBytes_;
}

uint8_t BmpFile::IndexAt(int x, int y) const {
  const uint8_t* row = RowData(y);
  switch (bitCount_) {
    case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
    case 4: return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
    default: return row[x];
  }
}

uint32_t BmpFile::ColorAt(int x, int y) const {
  if (bitCount_ <= 8) {
    uint8_t index = IndexAt(x, y);
    return index < palette_.size() ? palette_[index] : 0;
  }
  const uint8_t* p = RowData(y) + static_cast<size_t>(x) * (bitCount_ / 8);
  if (bitCount_ == 24) return p[0] | (p[1] << 8) | (static_cast<uint32_t>(p[2]) << 16);
  uint32_t value = p[0] | (p[1] << 8);
  if (bitCount_ == 32) value |= (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  if (rawAlpha_) return value;
  return Expand(value, channels_[2]) | (Expand(value, channels_[1]) << 8) |
         (static_cast<uint32_t>(Expand(value, channels_[0])) << 16);
}

}  // namespace kpf::render
