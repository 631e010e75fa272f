#include "render/TVrFastBMP.hpp"

#include <cstring>

#include "render/BmpFile.hpp"

namespace kpf::render {

void TVrFastBMP::SetSize(int width, int height) { Allocate(width, height, 4 * width); }

uint32_t TVrFastBMP::Pixel(int x, int y) const {
  uint32_t value;
  std::memcpy(&value, Row(y) + static_cast<size_t>(x) * 4, 4);
  return value;  // the little-endian bytes B,G,R,X
}

void TVrFastBMP::SetPixel(int x, int y, uint32_t value) {
  uint8_t* p = Row(y) + static_cast<size_t>(x) * 4;
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint32_t> TVrFastBMP::ToArgb() const {
  std::vector<uint32_t> argb;
  argb.reserve(static_cast<size_t>(Width()) * Height());
  for (int y = Height() - 1; y >= 0; --y)
    for (int x = 0; x < Width(); ++x) argb.push_back(Pixel(x, y));
  return argb;
}

void TVrFastBMP::LoadFromFile(const std::string& fileName) { LoadFromMemory(BmpFile::ReadFile(fileName)); }

void TVrFastBMP::LoadFromMemory(std::span<const uint8_t> file) {
  BmpFile bmp(file);
  SetSize(bmp.Width(), bmp.Height());
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) SetPixel(x, y, bmp.ColorAt(x, y));
}

void DrawTo(project::TVrBitmap& image, TVrFastBMP& target) {
  auto pixels = image.Pixels();
  target.SetSize(image.Width(), image.Height());
  const int width = image.Width();
  const int height = image.Height();
  for (int row = 0; row < height; ++row) {
    const uint32_t* source = pixels.data() + static_cast<size_t>(row) * width;
    for (int x = 0; x < width; ++x) target.SetPixel(x, height - 1 - row, source[x]);
  }
}

platform::ImageView ViewOf(const std::vector<uint32_t>& argb, int width, int height) {
  return {width, height, argb};
}

}  // namespace kpf::render
