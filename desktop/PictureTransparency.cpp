#include "desktop/PictureTransparency.hpp"

#include "desktop/SystemColors.hpp"

namespace kpf::desktop {

uint32_t TColorToRgb(int32_t color) {
  const auto value = static_cast<uint32_t>(color);
  if ((value >> 24) == 0xFF) return SystemColorRgb(value & 0xFF);
  const uint32_t red = value & 0xFF;
  const uint32_t green = (value >> 8) & 0xFF;
  const uint32_t blue = (value >> 16) & 0xFF;
  return (red << 16) | (green << 8) | blue;
}

int32_t RgbToTColor(uint32_t pixel) {
  const uint32_t red = (pixel >> 16) & 0xFF;
  const uint32_t green = (pixel >> 8) & 0xFF;
  const uint32_t blue = pixel & 0xFF;
  return static_cast<int32_t>(red | (green << 8) | (blue << 16));
}

platform::Picture MakeTransparent(int width, int height, std::span<const uint32_t> pixels, int32_t color) {
  platform::Picture picture;
  if (width <= 0 || height <= 0) return picture;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels.size() < count) return picture;
  picture.width = width;
  picture.height = height;
  picture.pixels.resize(count);
  const bool keyed = color != kClNone;
  const uint32_t key =
      color == kClDefault ? pixels[static_cast<size_t>(height - 1) * width] & 0xFFFFFF : TColorToRgb(color);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t rgb = pixels[i] & 0xFFFFFF;
    picture.pixels[i] = keyed && rgb == key ? 0u : 0xFF000000u | rgb;
  }
  return picture;
}

}  // namespace kpf::desktop
