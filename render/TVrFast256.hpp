#pragma once
// 8-bit fast bitmap: one palette index per pixel, rows padded to a multiple of 4 bytes
// (RowInc = (8 x Width + 31) div 32 x 4, Gap = RowInc - Width), bottom row first, with a
// 256-entry palette.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "render/TVrFastBMP.hpp"
#include "render/TVrFastRGB.hpp"

namespace kpf::render {

// How a 32-bit picture becomes an 8-bit one.
enum class TConversionMode : uint8_t { cmGray = 0, cmCut = 1, cmDither = 2 };

class TVrFast256 : public TVrFastRGB {
 public:
  // Palette entries as 0x00RRGGBB (the RGBQUAD bytes blue, green, red, reserved).
  using Palette = std::array<uint32_t, 256>;

  TVrFast256() = default;
  TVrFast256(int width, int height) { SetSize(width, height); }
  TVrFast256(TVrFast256&&) = default;
  TVrFast256& operator=(TVrFast256&&) = default;

  void SetSize(int width, int height) override;
  int BytesPerPixel() const override { return 1; }
  // Palette colours with alpha 255, top row first.
  std::vector<uint32_t> ToArgb() const override;

  Palette& Colors() { return palette_; }
  const Palette& Colors() const { return palette_; }
  uint8_t Index(int x, int y) const { return Row(y)[x]; }

  // Takes src's size and turns its pixels into indices and a palette:
  // cmGray: index (blue + green + red) div 3 with a grey ramp;
  // cmCut / cmDither: the exact colours when there are at most 256 of them, otherwise a
  // box-split palette, each pixel taking its box (cmCut) or error diffusion (cmDither).
  void Convert(const TVrFastBMP& src, TConversionMode mode);

  // Loads a BMP file. Files of 1, 4 or 8 bits keep their indices and colour table; deeper
  // ones are loaded as 32-bit and converted with `mode`. Throws KpfError for a missing or
  // invalid file.
  void LoadFromFile(const std::string& fileName, TConversionMode mode = TConversionMode::cmCut);
  void LoadFromMemory(std::span<const uint8_t> file, TConversionMode mode = TConversionMode::cmCut);

 protected:
  int InterpolatedBytes() const override { return 1; }

 private:
  void ConvertGray(const TVrFastBMP& src);

  Palette palette_{};
};

}  // namespace kpf::render
