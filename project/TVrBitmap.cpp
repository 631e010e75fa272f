#include "project/TVrBitmap.hpp"

#include <algorithm>
#include <string>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"
#include "project/Premultiply.hpp"
#include "project/Shape.hpp"
#include "project/ZLib.hpp"

namespace kpf::project {

namespace {

constexpr uint32_t kClearPixel = 0x00000000;

// Stored pixel bytes are B, G, R, A.
uint32_t ArgbAt(std::span<const uint8_t> bytes, size_t index) { return ByteReader(bytes, index * 4).readU32(); }

bool IsPartialAlpha(uint32_t argb) {
  uint32_t alpha = argb >> 24;
  return alpha != 0 && alpha != 255;
}

// A side of 0 is a valid empty picture; negative and oversized sides are refused.
int CheckedSide(int32_t side, const char* what) {
  if (side > TVrBitmap::kMaxSide || side < 0)
    throw KpfError(std::string("Frame image ") + what + " out of range: " + std::to_string(side));
  return side;
}

template <typename T>
void MirrorRows(std::span<T> cells, int width, int height) {
  for (int y = 0; y < height; ++y) {
    auto row = cells.subspan(static_cast<size_t>(y) * width, width);
    std::reverse(row.begin(), row.end());
  }
}

template <typename T>
void FlipRows(std::span<T> cells, int width, int height) {
  for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
    std::swap_ranges(cells.begin() + static_cast<size_t>(top) * width,
                     cells.begin() + static_cast<size_t>(top + 1) * width,
                     cells.begin() + static_cast<size_t>(bottom) * width);
  }
}

}  // namespace

size_t TVrBitmap::LoadFromBuffer(std::span<const uint8_t> block, size_t offset) {
  Clear();
  ByteReader reader(block, offset);
  int32_t storedWidth = reader.readInt32();
  int32_t storedHeight = reader.readInt32();
  uint8_t storage = reader.readByte();
  int width = CheckedSide(storedWidth, "width");
  int height = CheckedSide(storedHeight, "height");
  uint64_t pixelCount = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  if (pixelCount > kMaxPixels) throw KpfError("Frame image too large");

  if (storage == kFormPacked) {
    packed_ = reader.take(reader.readCount());
  } else if (storage == kFormPalette) {
    auto indices = reader.take(reader.readCount());
    if (indices.size() != pixelCount) throw KpfError("Frame image index count does not match its size");
    auto palette = reader.take(reader.readCount());
    if (palette.size() % 4 != 0) throw KpfError("Frame image palette has a partial entry");
    indices_ = indices;
    palette_ = palette;
  }
  width_ = static_cast<uint16_t>(width);
  height_ = static_cast<uint16_t>(height);
  form_ = storage;
  return reader.position();
}

void TVrBitmap::Assign(const TVrBitmap& source) {
  if (&source == this) return;
  width_ = source.width_;
  height_ = source.height_;
  form_ = source.form_;
  decoded_ = source.decoded_;
  hasAlpha_ = source.hasAlpha_;
  alphaKnown_ = source.alphaKnown_;
  mirrorPending_ = source.mirrorPending_;
  flipPending_ = source.flipPending_;
  pixels_ = source.pixels_;
  premultiplied_ = source.premultiplied_;
  alphaOutline_ = source.alphaOutline_;
  packed_ = source.packed_;
  palette_ = source.palette_;
  indicesOwned_ = source.indicesOwned_;
  ownedIndices_ = source.ownedIndices_;
  indices_ = source.indices_;
  Transparent = source.Transparent;
  TransparentColor = source.TransparentColor;
  UseCount = source.UseCount;
  CopyKind = source.CopyKind;
}

std::span<const uint8_t> TVrBitmap::Indices() const {
  return indicesOwned_ ? std::span<const uint8_t>(ownedIndices_) : indices_;
}

void TVrBitmap::OwnIndices() {
  if (indicesOwned_) return;
  ownedIndices_.assign(indices_.begin(), indices_.end());
  indices_ = {};  // never point at our own vector: copies of the image stay valid
  indicesOwned_ = true;
}

// A mirror and a flip commute and each undoes itself, so pending turns are two toggles.
void TVrBitmap::MirrorHorizontal() {
  PixelsChanged();
  if (!decoded_ && form_ == kFormPalette) {
    OwnIndices();
    MirrorRows(std::span<uint8_t>(ownedIndices_), width_, height_);
  } else if (!decoded_ && form_ == kFormPacked) {
    mirrorPending_ = !mirrorPending_;
  } else {
    Decode();
    MirrorRows(std::span<uint32_t>(pixels_), width_, height_);
  }
}

void TVrBitmap::FlipVertical() {
  PixelsChanged();
  if (!decoded_ && form_ == kFormPalette) {
    OwnIndices();
    FlipRows(std::span<uint8_t>(ownedIndices_), width_, height_);
  } else if (!decoded_ && form_ == kFormPacked) {
    flipPending_ = !flipPending_;
  } else {
    Decode();
    FlipRows(std::span<uint32_t>(pixels_), width_, height_);
  }
}

void TVrBitmap::PixelsChanged() {
  alphaKnown_ = false;
  premultiplied_.reset();
  alphaOutline_.reset();
}

std::span<const uint32_t> TVrBitmap::Pixels() {
  Decode();
  return pixels_;
}

void TVrBitmap::Decode() {
  if (decoded_) return;
  decoded_ = true;
  const size_t count = static_cast<size_t>(width_) * height_;
  if (form_ != kFormPacked) {
    pixels_.assign(count, kClearPixel);
    if (form_ == kFormPalette) DecodePalette();
    return;
  }
  try {
    DecodePacked();
  } catch (...) {
    pixels_.assign(count, kClearPixel);  // a damaged image stays safe to draw: transparent
    mirrorPending_ = flipPending_ = false;
    PixelsChanged();
    throw;
  }
  if (mirrorPending_) MirrorRows(std::span<uint32_t>(pixels_), width_, height_);
  if (flipPending_) FlipRows(std::span<uint32_t>(pixels_), width_, height_);
  mirrorPending_ = flipPending_ = false;
}

void TVrBitmap::DecodePacked() {
  const size_t expected = static_cast<size_t>(width_) * height_ * 4;
  // Start small for big pictures so that a header which lies about the size costs only what
  // the stream really inflates to; the cap is the exact size.
  const size_t estimate = std::min(expected, std::max(packed_.size() * 8, size_t{4} << 20));
  ByteBuffer raw = DecompressBuf(packed_, estimate, expected);
  if (raw.size() != expected) throw KpfError("Frame image data has the wrong size");
  pixels_.resize(expected / 4);
  for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = ArgbAt(raw, i);
}

void TVrBitmap::DecodePalette() {
  const size_t entries = palette_.size() / 4;
  auto indices = Indices();
  for (size_t i = 0; i < pixels_.size(); ++i) {
    size_t index = indices[i];
    pixels_[i] = index < entries ? ArgbAt(palette_, index) : kClearPixel;
  }
}

void TVrBitmap::ComputeHasAlpha() {
  if (alphaKnown_) return;
  if (form_ == kFormPalette) {
    hasAlpha_ = false;
    for (size_t i = 0; i < palette_.size() / 4; ++i) hasAlpha_ = hasAlpha_ || IsPartialAlpha(ArgbAt(palette_, i));
  } else {
    auto pixels = Pixels();
    hasAlpha_ = std::any_of(pixels.begin(), pixels.end(), IsPartialAlpha);
  }
  alphaKnown_ = true;
}

std::shared_ptr<const std::vector<uint32_t>> TVrBitmap::Premultiplied() {
  auto pixels = Pixels();
  if (!premultiplied_) {
    auto made = std::make_shared<std::vector<uint32_t>>();
    Premultiply(pixels, *made);
    premultiplied_ = std::move(made);
  }
  return premultiplied_;
}

std::shared_ptr<const std::vector<platform::Rect>> TVrBitmap::AlphaOutline() {
  auto pixels = Pixels();
  if (!alphaOutline_) {
    alphaOutline_ = std::make_shared<const std::vector<platform::Rect>>(
        project::AlphaOutline({width_, height_, pixels}));
  }
  return alphaOutline_;
}

platform::Point TVrBitmap::FindTransparentPixel() {
  if (!Transparent) return {-1, -1};
  auto pixels = Pixels();
  auto found = std::find(pixels.begin(), pixels.end(), TransparentColor);
  if (found == pixels.end()) return {-1, -1};
  size_t index = static_cast<size_t>(found - pixels.begin());
  return {static_cast<int>(index % width_), static_cast<int>(index / width_)};
}

void TVrBitmap::Clear() {
  width_ = height_ = 0;
  form_ = -1;
  decoded_ = false;
  hasAlpha_ = false;
  mirrorPending_ = flipPending_ = false;
  PixelsChanged();
  pixels_ = {};
  packed_ = {};
  palette_ = {};
  indices_ = {};
  ownedIndices_ = {};
  indicesOwned_ = false;
}

}  // namespace kpf::project
