#pragma once
// A rectangle with rounded corners as a set of pixels: the pixels of the box left <= x < right,
// top <= y < bottom whose centre lies inside the box with its corners cut by quarter ellipses
// of `ellipseWidth` × `ellipseHeight` (each at most the box's own size). Exactly: with
// X = 2x + 1, CX = X clamped to [2 left + ew, 2 right - ew], DX = X - CX (likewise Y, CY, DY
// with eh), the pixel belongs when DX² eh² + DY² ew² <= ew² eh². An ellipse of 0 × 0 gives the
// plain box. The set is convex along every row and every column.
#include <cstdint>

namespace kpf::render {

struct PixelSpan {
  int64_t begin = 0;  // first pixel
  int64_t end = 0;    // after the last one; begin == end: none
  bool empty() const { return end <= begin; }
};

class RoundedBox {
 public:
  RoundedBox(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t ellipseWidth, int64_t ellipseHeight);

  bool Empty() const { return right_ <= left_ || bottom_ <= top_; }
  int64_t Left() const { return left_; }
  int64_t Top() const { return top_; }
  int64_t Right() const { return right_; }
  int64_t Bottom() const { return bottom_; }
  bool Contains(int64_t x, int64_t y) const;
  // The pixels of row y (of column x) that belong to the set.
  PixelSpan Row(int64_t y) const;
  PixelSpan Column(int64_t x) const;

 private:
  int64_t left_, top_, right_, bottom_;
  int64_t ew_, eh_;
};

}  // namespace kpf::render
