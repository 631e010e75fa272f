#include "render/TVrFast256.hpp"

#include "render/BmpFile.hpp"
#include "render/ColorReduction.hpp"

namespace kpf::render {

void TVrFast256::SetSize(int width, int height) { Allocate(width, height, (8 * width + 31) / 32 * 4); }

std::vector<uint32_t> TVrFast256::ToArgb() const {
  std::vector<uint32_t> argb;
  argb.reserve(static_cast<size_t>(Width()) * Height());
  for (int y = Height() - 1; y >= 0; --y)
    for (int x = 0; x < Width(); ++x) argb.push_back(0xFF000000 | palette_[Index(x, y)]);
  return argb;
}

void TVrFast256::Convert(const TVrFastBMP& src, TConversionMode mode) {
  SetSize(src.Width(), src.Height());
  if (mode == TConversionMode::cmGray) return ConvertGray(src);
  if (ConvertExact(src, *this)) return;
  ConvertBoxSplit(src, *this, mode == TConversionMode::cmDither);
}

void TVrFast256::ConvertGray(const TVrFastBMP& src) {
  for (uint32_t i = 0; i < 256; ++i) palette_[i] = (i << 16) | (i << 8) | i;
  for (int y = 0; y < Height(); ++y) {
    uint8_t* out = Row(y);
    for (int x = 0; x < Width(); ++x) {
      uint32_t p = src.Pixel(x, y);
      out[x] = static_cast<uint8_t>(((p & 0xFF) + ((p >> 8) & 0xFF) + ((p >> 16) & 0xFF)) / 3);
    }
  }
}

void TVrFast256::LoadFromFile(const std::string& fileName, TConversionMode mode) {
  LoadFromMemory(BmpFile::ReadFile(fileName), mode);
}

void TVrFast256::LoadFromMemory(std::span<const uint8_t> file, TConversionMode mode) {
  BmpFile bmp(file);
  if (bmp.BitCount() >= 9) {
    TVrFastBMP full;
    full.LoadFromMemory(file);
    return Convert(full, mode);
  }
  SetSize(bmp.Width(), bmp.Height());
  palette_.fill(0);
  std::copy(bmp.Palette().begin(), bmp.Palette().end(), palette_.begin());
  for (int y = 0; y < Height(); ++y) {
    uint8_t* out = Row(y);
    for (int x = 0; x < Width(); ++x) out[x] = bmp.IndexAt(x, y);
  }
}

}  // namespace kpf::render
