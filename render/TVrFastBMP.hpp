#pragma once
// 32-bit fast bitmap: pixels of 4 bytes (blue, green, red, fourth byte = alpha when present),
// rows of 4 x Width bytes without filler, bottom row first.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "project/TVrBitmap.hpp"
#include "render/TVrFastRGB.hpp"

namespace kpf::render {

class TVrFastBMP : public TVrFastRGB {
 public:
  TVrFastBMP() = default;
  TVrFastBMP(int width, int height) { SetSize(width, height); }
  TVrFastBMP(TVrFastBMP&&) = default;
  TVrFastBMP& operator=(TVrFastBMP&&) = default;

  void SetSize(int width, int height) override;
  int BytesPerPixel() const override { return 4; }
  std::vector<uint32_t> ToArgb() const override;

  // Pixel x of row-table entry y as 0xXXRRGGBB (the bytes B,G,R,X read little-endian).
  uint32_t Pixel(int x, int y) const;
  void SetPixel(int x, int y, uint32_t value);

  // Loads a BMP file of any supported bit depth as 32-bit pixels (see BmpFile for what is
  // accepted). Throws KpfError for a missing or invalid file; the bitmap is unchanged then.
  void LoadFromFile(const std::string& fileName);
  void LoadFromMemory(std::span<const uint8_t> file);

 protected:
  int InterpolatedBytes() const override { return 3; }
};

// Draws a frame image into `target`: target takes the image's size and the image's top row
// goes into the top row of the target (its last row-table entry). Alpha is kept in the fourth
// byte.
void DrawTo(project::TVrBitmap& image, TVrFastBMP& target);

// A window image view over `argb` (top row first, as ToArgb gives); `argb` must outlive it.
platform::ImageView ViewOf(const std::vector<uint32_t>& argb, int width, int height);

}  // namespace kpf::render
