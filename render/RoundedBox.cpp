#include "render/RoundedBox.hpp"

#include <algorithm>

namespace kpf::render {

RoundedBox::RoundedBox(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t ellipseWidth,
                       int64_t ellipseHeight)
    : left_(left), top_(top), right_(right), bottom_(bottom) {
  ew_ = std::clamp<int64_t>(ellipseWidth, 0, std::max<int64_t>(right - left, 0));
  eh_ = std::clamp<int64_t>(ellipseHeight, 0, std::max<int64_t>(bottom - top, 0));
}

bool RoundedBox::Contains(int64_t x, int64_t y) const {
  if (x < left_ || x >= right_ || y < top_ || y >= bottom_) return false;
  const int64_t X = 2 * x + 1;
  const int64_t Y = 2 * y + 1;
  const int64_t dx = X - std::clamp(X, 2 * left_ + ew_, 2 * right_ - ew_);
  const int64_t dy = Y - std::clamp(Y, 2 * top_ + eh_, 2 * bottom_ - eh_);
  if (dx == 0 && dy == 0) return true;
  // |dx| <= ew and |dy| <= eh here, so these products are small.
  return dx * dx * eh_ * eh_ + dy * dy * ew_ * ew_ <= ew_ * ew_ * eh_ * eh_;
}

PixelSpan RoundedBox::Row(int64_t y) const {
  if (Empty() || y < top_ || y >= bottom_) return {};
  // Only the pixels of the corner bands can be outside; past them the row is inside.
  int64_t begin = left_;
  const int64_t leftLimit = std::min(right_, left_ + ew_ + 1);
  while (begin < leftLimit && !Contains(begin, y)) ++begin;
  if (begin == leftLimit && !Contains(begin, y)) return {};
  int64_t end = right_;
  const int64_t rightLimit = std::max(begin, right_ - ew_ - 1);
  while (end > rightLimit && !Contains(end - 1, y)) --end;
  return {begin, end};
}

PixelSpan RoundedBox::Column(int64_t x) const {
  if (Empty() || x < left_ || x >= right_) return {};
  int64_t begin = top_;
  const int64_t topLimit = std::min(bottom_, top_ + eh_ + 1);
  while (begin < topLimit && !Contains(x, begin)) ++begin;
  if (begin == topLimit && !Contains(x, begin)) return {};
  int64_t end = bottom_;
  const int64_t bottomLimit = std::max(begin, bottom_ - eh_ - 1);
  while (end > bottomLimit && !Contains(x, end - 1)) --end;
  return {begin, end};
}

}  // namespace kpf::render
