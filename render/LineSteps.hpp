#pragma once
// The pixels of a straight line from one point towards another, as a closed formula, so that a
// line whose ends lie far outside the picture is walked only where it crosses it.
//
// The line has max(|dx|, |dy|) points: the start point is the first, the end point is not one
// of them. Along the longer axis (x when |dx| >= |dy|) point i is i steps from the start; along
// the other axis it is round(i * |dminor| / |dmajor|) steps, halves rounded away from the start.
// Coordinates are 32-bit; every computation is 64-bit (products 128-bit), so no value overflows.
#include <cstdint>
#include <utility>

namespace kpf::render {

struct LinePoint {
  int64_t x = 0;
  int64_t y = 0;
};

class LineSteps {
 public:
  LineSteps(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

  int64_t Count() const { return count_; }
  bool XMajor() const { return xMajor_; }
  // Point i, 0 <= i < Count().
  LinePoint At(int64_t i) const;
  // The indices [first, last) of the points whose coordinate along the longer axis lies in
  // [low, high]; first == last when there are none.
  std::pair<int64_t, int64_t> MajorRange(int64_t low, int64_t high) const;
  // Calls visit(i, point) for first <= i < last: At(first) once, then integer steps.
  template <typename Visit>
  void ForEach(int64_t first, int64_t last, Visit visit) const;

 private:
  int64_t majorStart_ = 0;
  int64_t minorStart_ = 0;
  int64_t majorStep_ = 1;
  int64_t minorStep_ = 1;
  int64_t majorLength_ = 0;  // |dmajor|
  int64_t minorLength_ = 0;  // |dminor|
  int64_t count_ = 0;
  bool xMajor_ = true;
};

template <typename Visit>
void LineSteps::ForEach(int64_t first, int64_t last, Visit visit) const {
  if (first >= last) return;
  LinePoint point = At(first);
  // The remainder of (2 i minor + major) / (2 major): each step adds 2 minor <= 2 major, so the
  // minor coordinate moves at most once per step.
  const __int128 start = static_cast<__int128>(2) * first * minorLength_ + majorLength_;
  int64_t remainder = static_cast<int64_t>(start % (static_cast<__int128>(2) * majorLength_));
  int64_t& major = xMajor_ ? point.x : point.y;
  int64_t& minor = xMajor_ ? point.y : point.x;
  for (int64_t i = first; i < last; ++i) {
    visit(i, point);
    major += majorStep_;
    remainder += 2 * minorLength_;
    if (remainder >= 2 * majorLength_) {
      remainder -= 2 * majorLength_;
      minor += minorStep_;
    }
  }
}

}  // namespace kpf::render
