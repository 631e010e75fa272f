#pragma once
// The pen styles and brush styles in their stored order, and where each one paints: the dash
// patterns of thin pens along a line, and the 8 × 8 hatches of brushes on the picture.
#include <cstdint>

namespace kpf::render {

enum class PenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
inline constexpr int kPenStyleCount = 7;

enum class BrushStyle : uint8_t {
  Solid,
  Clear,
  Horizontal,        // ─ every 8th row: y mod 8 = 0
  Vertical,          // │ every 8th column: x mod 8 = 0
  ForwardDiagonal,   // ╲ (x - y) mod 8 = 0
  BackwardDiagonal,  // ╱ (x + y) mod 8 = 0
  Cross,             // horizontal and vertical
  DiagonalCross,     // both diagonals
};
inline constexpr int kBrushStyleCount = 8;

// Whether point `index` of a line (0 = the start point) is drawn by a thin pen of `style`. The
// patterns, in pixels drawn and skipped, start again with every line: dash 18 on, 6 off; dot 3
// on, 3 off; dash-dot 9, 6, 3, 6; dash-dot-dot 9, 3, 3, 3, 3, 3. Solid and inside-frame draw
// every point, clear none.
constexpr bool PenDraws(PenStyle style, int64_t index) {
  int period = 0;
  const int* segments = nullptr;
  int count = 0;
  constexpr int kDash[] = {18, 6};
  constexpr int kDot[] = {3, 3};
  constexpr int kDashDot[] = {9, 6, 3, 6};
  constexpr int kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PenStyle::Solid: case PenStyle::InsideFrame: return true;
    case PenStyle::Clear: return false;
    case PenStyle::Dash: segments = kDash, count = 2, period = 24; break;
    case PenStyle::Dot: segments = kDot, count = 2, period = 6; break;
    case PenStyle::DashDot: segments = kDashDot, count = 4, period = 24; break;
    case PenStyle::DashDotDot: segments = kDashDotDot, count = 6, period = 24; break;
  }
  int64_t at = index % period;
  for (int n = 0; n < count; ++n) {
    if (at < segments[n]) return n % 2 == 0;
    at -= segments[n];
  }
  return false;
}

// Whether a brush of `style` paints pixel (x, y) of the picture (hatches are fixed to the
// picture's origin; the pixels between the hatch lines stay as they are).
constexpr bool BrushPaints(BrushStyle style, int64_t x, int64_t y) {
  const auto mod8 = [](int64_t value) { return ((value % 8) + 8) % 8; };
  const bool horizontal = mod8(y) == 0;
  const bool vertical = mod8(x) == 0;
  const bool forward = mod8(x - y) == 0;
  const bool backward = mod8(x + y) == 0;
  switch (style) {
    case BrushStyle::Solid: return true;
    case BrushStyle::Clear: return false;
    case BrushStyle::Horizontal: return horizontal;
    case BrushStyle::Vertical: return vertical;
    case BrushStyle::ForwardDiagonal: return forward;
    case BrushStyle::BackwardDiagonal: return backward;
    case BrushStyle::Cross: return horizontal || vertical;
    case BrushStyle::DiagonalCross: return forward || backward;
  }
  return false;
}

}  // namespace kpf::render
