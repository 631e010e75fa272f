#include "render/LineSteps.hpp"

#include <algorithm>

namespace kpf::render {

LineSteps::LineSteps(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t dx = int64_t{x1} - x0;
  const int64_t dy = int64_t{y1} - y0;
  xMajor_ = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  const int64_t dMajor = xMajor_ ? dx : dy;
  const int64_t dMinor = xMajor_ ? dy : dx;
  majorStart_ = xMajor_ ? x0 : y0;
  minorStart_ = xMajor_ ? y0 : x0;
  majorStep_ = dMajor < 0 ? -1 : 1;
  minorStep_ = dMinor < 0 ? -1 : 1;
  majorLength_ = dMajor < 0 ? -dMajor : dMajor;
  minorLength_ = dMinor < 0 ? -dMinor : dMinor;
  count_ = majorLength_;
}

LinePoint LineSteps::At(int64_t i) const {
  // round(i * minor / major) with halves up: floor((2 * i * minor + major) / (2 * major)).
  const __int128 numerator = static_cast<__int128>(2) * i * minorLength_ + majorLength_;
  const auto offset = static_cast<int64_t>(numerator / (static_cast<__int128>(2) * majorLength_));
  const int64_t major = majorStart_ + i * majorStep_;
  const int64_t minor = minorStart_ + offset * minorStep_;
  return xMajor_ ? LinePoint{major, minor} : LinePoint{minor, major};
}

std::pair<int64_t, int64_t> LineSteps::MajorRange(int64_t low, int64_t high) const {
  if (count_ == 0 || low > high) return {0, 0};
  int64_t first = majorStep_ > 0 ? low - majorStart_ : majorStart_ - high;
  int64_t last = majorStep_ > 0 ? high - majorStart_ : majorStart_ - low;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, count_ - 1);
  if (first > last) return {0, 0};
  return {first, last + 1};
}

}  // namespace kpf::render
