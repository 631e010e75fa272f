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

namespace {

// The run of [low, high) for which `inside` holds, the set being convex: only the `band` pixels
// at either end can be outside, so no more than band + 1 are tested from each side.
template <typename Inside>
PixelSpan ConvexRun(int64_t low, int64_t high, int64_t band, Inside inside) {
  int64_t begin = low;
  const int64_t lowLimit = std::min(high, low + band + 1);
  while (begin < lowLimit && !inside(begin)) ++begin;
  if (begin == lowLimit && !inside(begin)) return {};
  int64_t end = high;
  const int64_t highLimit = std::max(begin, high - band - 1);
  while (end > highLimit && !inside(end - 1)) --end;
  return {begin, end};
}

}  // namespace

PixelSpan RoundedBox::Row(int64_t y) const {
  if (Empty() || y < top_ || y >= bottom_) return {};
  return ConvexRun(left_, right_, ew_, [&](int64_t x) { return Contains(x, y); });
}

PixelSpan RoundedBox::Column(int64_t x) const {
  if (Empty() || x < left_ || x >= right_) return {};
  return ConvexRun(top_, bottom_, eh_, [&](int64_t y) { return Contains(x, y); });
}

}  // namespace kpf::render
