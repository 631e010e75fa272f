#pragma once
// Reader of Windows BMP files for the fast bitmaps: validates the headers and gives access to
// the stored rows, their palette indices and their colours.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kpf::render {

class BmpFile {
 public:
  // Validates `file` (kept by reference: must outlive this object). Accepted: a "BM" file
  // header, an info header of at least 40 bytes, bit counts 1, 4, 8, 16, 24 and 32, no
  // compression (or bit fields for 16 and 32 bits), width and height 1..16384 with at most 64M
  // pixels (bottom-up or top-down), and a palette and pixel rows that lie inside the file.
  // Anything else throws KpfError("Invalid BMP file: ...").
  explicit BmpFile(std::span<const uint8_t> file);

  // Reads a whole file (at most kMaxFileBytes) into memory; throws KpfError when it cannot.
  static std::vector<uint8_t> ReadFile(const std::string& path);
  static constexpr size_t kMaxFileBytes = size_t{512} << 20;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bitCount_; }
  // Colour table entries as 0x00RRGGBB (1, 4 and 8 bits; empty otherwise).
  const std::vector<uint32_t>& Palette() const { return palette_; }

  // Palette index of pixel x of row y, rows counted bottom-up (1, 4 and 8 bits).
  uint8_t IndexAt(int x, int y) const;
  // Colour of pixel x of row y (bottom-up) as B,G,R,X bytes in a uint32 (0xXXRRGGBB). The
  // fourth byte is the stored one for uncompressed 32-bit files and 0 otherwise; indices
  // beyond the colour table give black.
  uint32_t ColorAt(int x, int y) const;

 private:
  struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
  };
  void ReadHeaders();
  void ReadMasks(size_t maskOffset, uint32_t compression);
  void ReadPalette(size_t paletteOffset, uint32_t colorsUsed);
  const uint8_t* RowData(int y) const;
  static Channel MakeChannel(uint32_t mask);
  static uint8_t Expand(uint32_t value, const Channel& channel);

  std::span<const uint8_t> file_;
  int width_ = 0;
  int height_ = 0;
  bool topDown_ = false;
  int bitCount_ = 0;
  bool rawAlpha_ = false;
  std::array<Channel, 3> channels_{};  // red, green, blue of 16- and 32-bit pixels
  std::vector<uint32_t> palette_;
  size_t pixelOffset_ = 0;
  size_t rowBytes_ = 0;
};

}  // namespace kpf::render
