#pragma once
// The picture of one animation frame as stored in the frame data: either one zlib stream of
// 32-bit pixels (form 0) or a palette with one index byte per pixel (form 1). The stored bytes
// are borrowed from the frame-data block (never copied); pixels are decoded on first use.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::project {

class TVrBitmap {
 public:
  // Largest accepted side and pixel count of a frame image.
  static constexpr int kMaxSide = 16384;
  static constexpr uint64_t kMaxPixels = uint64_t{64} << 20;

  // Stored forms; any other storage byte means the entry carries no pixel data.
  static constexpr int kFormPacked = 0;
  static constexpr int kFormPalette = 1;

  // Parses one stored entry at `offset` of `block` (borrowed; must outlive the image); returns
  // the offset after it. Throws EStreamError / KpfError on malformed data: width/height must be
  // 0..16384 and width*height <= 64M pixels. A side of 0 makes an empty picture, whose packed
  // data must inflate to nothing and whose index list must be empty.
  size_t LoadFromBuffer(std::span<const uint8_t> block, size_t offset);

  // Deep copy (decoded pixels or borrowed spans), size, transparency, UseCount, CopyKind.
  void Assign(const TVrBitmap& source);

  // Left-right mirror and top-bottom flip. Work on the decoded pixels, or on the indices of a
  // form-1 image that is not decoded yet (the indices then become owned by the image). A form-0
  // image that is not decoded yet keeps the turn pending and applies it when it is decoded.
  void MirrorHorizontal();
  void FlipVertical();

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Form() const { return form_; }
  bool Decoded() const { return decoded_; }

  // 0xAARRGGBB, top row first, always Width()*Height() entries. Decodes on first use. An entry
  // without pixel data, and a palette index beyond the palette, give transparent 0x00000000.
  // A form-0 stream that fails to inflate to exactly 4*Width*Height bytes throws
  // EZDecompressionError / KpfError once; the image is then fully transparent from then on.
  std::span<const uint32_t> Pixels();

  // At least one pixel (form 1: one palette entry) has an alpha other than 0 and 255.
  // A form-0 image is decoded for this. Computed once until the pixels change.
  void ComputeHasAlpha();
  bool HasAlpha() const { return hasAlpha_; }

  // The pixels premultiplied by their alpha, made on first use and kept until the pixels change
  // (shared, so a window may keep showing them after the image is dropped).
  std::shared_ptr<const std::vector<uint32_t>> Premultiplied();

  // The outline of the pixels whose alpha is above 0 (one rectangle per run, row by row), made on
  // first use and kept until the pixels change.
  std::shared_ptr<const std::vector<platform::Rect>> AlphaOutline();

  // First pixel (rows from the top, pixels from the left) equal to TransparentColor;
  // (-1,-1) when transparency is off or no pixel matches.
  platform::Point FindTransparentPixel();

  // Drops all data (freeing only owned arrays) and resets the size to 0 x 0.
  void Clear();

  // Fields used by the loader and the engine.
  uint8_t CopyKind = 0;        // 0 as stored, 1 left-right mirror, 2 top-bottom flip
  int32_t MirrorLink = -1;     // image-list index linked by the left-right mirror; -1 when none
  int32_t FlipLink = -1;       // image-list index linked by the top-bottom flip; -1 when none
  uint16_t UseCount = 0;       // number of frames referring to this image
  bool Transparent = false;    // TransparentColor applies
  uint32_t TransparentColor = 0xFF000000;  // opaque 0xAARRGGBB

 private:
  void Decode();
  void DecodePacked();
  void DecodePalette();
  std::span<const uint8_t> Indices() const;
  void OwnIndices();
  // Drops what was derived from the pixels.
  void PixelsChanged();

  uint16_t width_ = 0;
  uint16_t height_ = 0;
  int form_ = -1;  // -1: nothing loaded
  bool decoded_ = false;
  bool hasAlpha_ = false;
  bool alphaKnown_ = false;
  bool mirrorPending_ = false;  // form 0, not decoded yet: turns applied on decoding
  bool flipPending_ = false;
  std::vector<uint32_t> pixels_;
  std::shared_ptr<const std::vector<uint32_t>> premultiplied_;
  std::shared_ptr<const std::vector<platform::Rect>> alphaOutline_;
  std::span<const uint8_t> packed_;        // form 0, borrowed zlib stream
  std::span<const uint8_t> palette_;       // form 1, borrowed B,G,R,A entries
  std::span<const uint8_t> indices_;       // form 1, borrowed (empty once indicesOwned_)
  std::vector<uint8_t> ownedIndices_;
  bool indicesOwned_ = false;
};

}  // namespace kpf::project
