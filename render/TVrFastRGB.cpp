#include "render/TVrFastRGB.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <typeinfo>

#include "project/Errors.hpp"

namespace kpf::render {

namespace {

// Nearest integer, ties to even (the rounding of the default floating-point mode).
int Nearest(double value) { return static_cast<int>(std::lrint(value)); }

}  // namespace

bool TVrFastRGB::Allocate(int width, int height, int rowInc) {
  if (width == width_ && height == height_) return false;
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide ||
      int64_t{width} * height > kMaxPixels)
    throw project::KpfError("Bitmap size out of range: " + std::to_string(width) + " x " + std::to_string(height));
  width_ = width;
  height_ = height;
  rowInc_ = width && height ? rowInc : 0;
  gap_ = rowInc_ ? rowInc_ - width * BytesPerPixel() : 0;
  size_ = rowInc_ * height;
  bits_.assign(static_cast<size_t>(size_), 0);
  return true;
}

void TVrFastRGB::CheckSameClass(const TVrFastRGB& dst) const {
  if (typeid(dst) != typeid(*this)) throw std::invalid_argument("Fast bitmaps of different classes");
}

void TVrFastRGB::CopyAll(TVrFastRGB& dst) const {
  if (&dst != this) std::memcpy(dst.bits_.data(), bits_.data(), static_cast<size_t>(size_));
}

void TVrFastRGB::Resize(TVrFastRGB& dst) const {
  CheckSameClass(dst);
  if (dst.Empty() || Empty()) return;
  if (dst.width_ == width_ && dst.height_ == height_) return CopyAll(dst);
  double sx = static_cast<double>(dst.width_) / width_;
  double sy = static_cast<double>(dst.height_) / height_;
  if (sx >= 1 && sy >= 1) return EnlargeInto(dst);
  SampleInto(dst);
}

// Builds one destination line per source row and repeats it over the rows that row covers.
void TVrFastRGB::EnlargeInto(TVrFastRGB& dst) const {
  const int bpp = BytesPerPixel();
  const double sx = static_cast<double>(dst.width_) / width_;
  const double sy = static_cast<double>(dst.height_) / height_;
  const int columnsPerPixel = Nearest(sx + 0.5);
  const int rowsPerRow = Nearest(sy + 0.5);
  std::vector<uint8_t> line(static_cast<size_t>(dst.width_) * bpp);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* source = Row(y);
    for (int x = 0; x < width_; ++x) {
      int first = Nearest(x * sx);
      int last = std::min(first + columnsPerPixel, dst.width_);
      for (int column = first; column < last; ++column)
        std::memcpy(&line[static_cast<size_t>(column) * bpp], source + static_cast<size_t>(x) * bpp, bpp);
    }
    int firstRow = Nearest(y * sy);
    int lastRow = std::min(firstRow + rowsPerRow, dst.height_);
    for (int row = firstRow; row < lastRow; ++row) std::memcpy(dst.Row(row), line.data(), line.size());
  }
}

// 16.16 fixed-point sampling, used whenever one axis shrinks.
void TVrFastRGB::SampleInto(TVrFastRGB& dst) const {
  const int bpp = BytesPerPixel();
  const int64_t xstep = (int64_t{width_} << 16) / dst.width_;
  const int64_t ystep = (int64_t{height_} << 16) / dst.height_;
  for (int j = 0; j < dst.height_; ++j) {
    const uint8_t* source = Row(static_cast<int>((j * ystep) >> 16));
    uint8_t* target = dst.Row(j);
    for (int i = 0; i < dst.width_; ++i) {
      size_t x = static_cast<size_t>((i * xstep) >> 16);
      std::memcpy(target + static_cast<size_t>(i) * bpp, source + x * bpp, bpp);
    }
  }
}

void TVrFastRGB::SmoothResize(TVrFastRGB& dst) const {
  CheckSameClass(dst);
  if (dst.Empty() || Empty()) return;
  if (width_ == 1) return Resize(dst);
  if (dst.width_ == width_ && dst.height_ == height_) return CopyAll(dst);
  const int bpp = BytesPerPixel();
  const int channels = InterpolatedBytes();
  const int64_t xstep = (int64_t{width_ - 1} * 32768) / dst.width_;
  const int64_t ystep = (int64_t{height_ - 1} * 32768) / dst.height_;
  for (int j = 0; j < dst.height_; ++j) {
    const int64_t fy = j * ystep;
    const int row0 = static_cast<int>(fy >> 15);
    const int row1 = row0 + 1 < height_ ? row0 + 1 : row0;
    const int64_t wy = fy & 32767;
    const uint8_t* top = Row(row0);
    const uint8_t* next = Row(row1);
    uint8_t* target = dst.Row(j);
    for (int i = 0; i < dst.width_; ++i) {
      const int64_t fx = i * xstep;
      const size_t x0 = static_cast<size_t>(fx >> 15) * bpp;
      const int64_t wx = fx & 32767;
      const int64_t w01 = wx * (32768 - wy) / 32768;
      const int64_t w11 = wx * wy / 32768;
      const int64_t w00 = 32768 - wy - w01;
      const int64_t w10 = wy - w11;
      uint8_t* out = target + static_cast<size_t>(i) * bpp;
      for (int c = 0; c < channels; ++c) {
        int64_t sum = top[x0 + c] * w00 + top[x0 + bpp + c] * w01 + next[x0 + c] * w10 + next[x0 + bpp + c] * w11;
        out[c] = static_cast<uint8_t>(sum / 32768);
      }
    }
  }
}

void TVrFastRGB::CopyRect(TVrFastRGB& dst, int dstX, int dstY, int w, int h, int srcX, int srcY) const {
  CheckSameClass(dst);
  // 64-bit so that extreme arguments cannot overflow while clipping.
  int64_t dx = dstX, dy = dstY, sx = srcX, sy = srcY, cw = w, ch = h;
  // Negative corners move the other corner along and shrink the block.
  if (dx < 0) { sx -= dx; cw += dx; dx = 0; }
  if (dy < 0) { sy -= dy; ch += dy; dy = 0; }
  if (sx < 0) { dx -= sx; cw += sx; sx = 0; }
  if (sy < 0) { dy -= sy; ch += sy; sy = 0; }
  if (sx >= width_ || sy >= height_) return;
  cw = std::min({cw, width_ - sx, dst.width_ - dx});
  ch = std::min({ch, height_ - sy, dst.height_ - dy});
  if (cw <= 0 || ch <= 0) return;
  const size_t bpp = static_cast<size_t>(BytesPerPixel());
  for (int64_t row = 0; row < ch; ++row) {
    // memmove: Tile copies between parts of the same picture.
    std::memmove(dst.Row(static_cast<int>(dy + row)) + static_cast<size_t>(dx) * bpp,
                 Row(static_cast<int>(sy + row)) + static_cast<size_t>(sx) * bpp, static_cast<size_t>(cw) * bpp);
  }
}

void TVrFastRGB::Tile(TVrFastRGB& dst) const {
  CheckSameClass(dst);
  if (Empty() || dst.Empty()) return;
  CopyRect(dst, 0, 0, width_, height_, 0, 0);
  for (int covered = width_; covered < dst.width_; covered *= 2)
    dst.CopyRect(dst, covered, 0, covered, height_, 0, 0);
  for (int covered = height_; covered < dst.height_; covered *= 2)
    dst.CopyRect(dst, 0, covered, dst.width_, covered, 0, 0);
}

}  // namespace kpf::render
