// The figures of the canvas: pen lines and round rectangles (rules in Canvas.hpp).
#include <algorithm>
#include <vector>

#include "render/Canvas.hpp"
#include "render/LineSteps.hpp"
#include "render/RoundedBox.hpp"

namespace kpf::render {

void Canvas::LineTo(int32_t x, int32_t y) {
  const int32_t fromX = penX_, fromY = penY_;
  MoveTo(x, y);
  if (Empty() || pen_.style == PenStyle::Clear) return;
  if (pen_.width <= 1) {
    ThinLine(fromX, fromY, x, y);
  } else {
    WideLine(fromX, fromY, x, y);
  }
}

void Canvas::ThinLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const LineSteps steps(x0, y0, x1, y1);
  // Only the points whose coordinate along the longer axis lies in the picture are walked.
  const auto [first, last] = steps.MajorRange(0, (steps.XMajor() ? width_ : height_) - 1);
  const bool every = pen_.style == PenStyle::Solid || pen_.style == PenStyle::InsideFrame;
  steps.ForEach(first, last, [&](int64_t i, const LinePoint& point) {
    if (point.x < 0 || point.y < 0 || point.x >= width_ || point.y >= height_) return;
    if (every || PenDraws(pen_.style, i)) Plot(point.x, point.y, pen_.rgb);
  });
}

void Canvas::WideLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t w = pen_.width;
  const int64_t back = (w - 1) / 2;  // a point's square starts this far left of and above it
  const LineSteps steps(x0, y0, x1, y1);
  // A square reaches the picture when its point lies in [back - w + 1, side - 1 + back].
  const int64_t majorSide = steps.XMajor() ? width_ : height_;
  const auto [first, last] = steps.MajorRange(back - w + 1, majorSide - 1 + back);
  if (first == last) return;
  // The squares of a straight line cover one run per row: kept as the least and most column.
  std::vector<std::pair<int64_t, int64_t>> rows(static_cast<size_t>(height_), {INT64_MAX, INT64_MIN});
  steps.ForEach(first, last, [&](int64_t, const LinePoint& point) {
    const int64_t left = point.x - back;
    if (left >= width_ || left + w <= 0) return;
    const int64_t top = std::max<int64_t>(point.y - back, 0);
    const int64_t bottom = std::min<int64_t>(point.y - back + w, height_);
    for (int64_t row = top; row < bottom; ++row) {
      auto& [low, high] = rows[static_cast<size_t>(row)];
      low = std::min(low, left);
      high = std::max(high, left + w);
    }
  });
  for (int64_t row = 0; row < height_; ++row) {
    const auto [low, high] = rows[static_cast<size_t>(row)];
    for (int64_t x = std::max<int64_t>(low, 0); x < std::min<int64_t>(high, width_); ++x) Plot(x, row, pen_.rgb);
  }
}

void Canvas::RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int ellipseWidth, int ellipseHeight) {
  if (Empty()) return;
  const int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  const int64_t w = std::max(pen_.width, 1);
  const int64_t grow = pen_.style == PenStyle::InsideFrame ? 0 : (w - 1) / 2;
  const int64_t growFar = pen_.style == PenStyle::InsideFrame ? 0 : w - 1 - grow;
  const RoundedBox shape(left - grow, top - grow, right + growFar, bottom + growFar, ellipseWidth, ellipseHeight);
  if (shape.Empty()) return;
  const int64_t firstColumn = std::max<int64_t>(shape.Left(), 0), lastColumn = std::min<int64_t>(shape.Right(), width_);
  const int64_t firstRow = std::max<int64_t>(shape.Top(), 0), lastRow = std::min<int64_t>(shape.Bottom(), height_);
  if (firstColumn >= lastColumn || firstRow >= lastRow) return;
  std::vector<PixelSpan> columns;
  columns.reserve(static_cast<size_t>(lastColumn - firstColumn));
  for (int64_t x = firstColumn; x < lastColumn; ++x) columns.push_back(shape.Column(x));
  const bool outlineDrawn = pen_.style != PenStyle::Clear;
  for (int64_t y = firstRow; y < lastRow; ++y) {
    const PixelSpan row = shape.Row(y);
    for (int64_t x = std::max(row.begin, firstColumn); x < std::min(row.end, lastColumn); ++x) {
      const PixelSpan& column = columns[static_cast<size_t>(x - firstColumn)];
      const bool outline = x - row.begin < w || row.end - 1 - x < w || y - column.begin < w || column.end - 1 - y < w;
      if (outline) {
        if (outlineDrawn) Plot(x, y, pen_.rgb);
      } else if (brush_.style != BrushStyle::Clear && BrushPaints(brush_.style, x, y)) {
        Plot(x, y, brush_.rgb);
      }
    }
  }
}

}  // namespace kpf::render
