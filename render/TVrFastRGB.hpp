#pragma once
// Base of the fast bitmaps: a block of pixel rows kept in the bottom-up order of a
// device-independent bitmap (row-table entry 0 is the bottom row as displayed), with the
// resizing, rectangle copy and tiling that work the same on 32-bit pixels and 8-bit indices.
// All coordinates of these operations count rows in row-table order (y = 0 is the bottom row).
#include <cstdint>
#include <span>
#include <vector>

namespace kpf::render {

class TVrFastRGB {
 public:
  // Largest accepted side and pixel count.
  static constexpr int kMaxSide = 16384;
  static constexpr int64_t kMaxPixels = int64_t{64} << 20;

  virtual ~TVrFastRGB() = default;
  TVrFastRGB(const TVrFastRGB&) = delete;
  TVrFastRGB& operator=(const TVrFastRGB&) = delete;

  // Reallocates the pixels (zeroed) unless the size is unchanged. Throws KpfError for a
  // negative size, a side above kMaxSide or more than kMaxPixels pixels.
  virtual void SetSize(int width, int height) = 0;
  virtual int BytesPerPixel() const = 0;
  // Pixels top row first as 0xAARRGGBB, for the window backend.
  virtual std::vector<uint32_t> ToArgb() const = 0;

  int Gap() const { return gap_; }
  int RowInc() const { return rowInc_; }
  int Size() const { return size_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Row-table entry y (0 = bottom row), RowInc() bytes.
  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * rowInc_; }
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * rowInc_; }
  std::span<uint8_t> Bits() { return bits_; }
  std::span<const uint8_t> Bits() const { return bits_; }

  // Nearest-neighbour resize into `dst` (same class; its size decides). Enlarging writes each
  // source pixel to nearest(s + 0.5) columns/rows from nearest(x * s), ties to even; any
  // shrinking axis uses 16.16 fixed-point sampling.
  void Resize(TVrFastRGB& dst) const;
  // Bilinear resize in 17.15 fixed point; the 32-bit class interpolates blue, green and red and
  // leaves the fourth byte of `dst` alone, the 8-bit class interpolates the index bytes.
  void SmoothResize(TVrFastRGB& dst) const;
  // Copies a w x h block from (srcX, srcY) to (dstX, dstY), clipped to both pictures.
  void CopyRect(TVrFastRGB& dst, int dstX, int dstY, int w, int h, int srcX, int srcY) const;
  // Fills `dst` with copies of this picture from its origin, doubling the covered area per copy.
  void Tile(TVrFastRGB& dst) const;

 protected:
  TVrFastRGB() = default;
  TVrFastRGB(TVrFastRGB&&) = default;
  TVrFastRGB& operator=(TVrFastRGB&&) = default;

  // Validates the size and allocates zeroed rows of `rowInc` bytes; false when unchanged.
  bool Allocate(int width, int height, int rowInc);
  // Bytes of a pixel that SmoothResize interpolates (3 of 4, or 1 of 1).
  virtual int InterpolatedBytes() const = 0;

 private:
  void CheckSameClass(const TVrFastRGB& dst) const;
  void CopyAll(TVrFastRGB& dst) const;
  void EnlargeInto(TVrFastRGB& dst) const;
  void SampleInto(TVrFastRGB& dst) const;

  int gap_ = 0;
  int rowInc_ = 0;
  int size_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> bits_;
};

}  // namespace kpf::render
