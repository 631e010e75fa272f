#include "platform/scaled/ScaledHintWindow.hpp"

#include <algorithm>

namespace kpf::platform::scaled {

void ScaledHintWindow::Show(const HintBubble& bubble, Point topLeft) {
  HintBubble enlarged = bubble;
  // Bubbles are drawn whole times larger; the window below is never given a fraction.
  enlarged.scale = std::max(1, scale_.Numerator() / scale_.Denominator());
  inner_->Show(enlarged, scale_.Up(topLeft));
}

Rect ScaledHintWindow::Bounds() const {
  const Rect bounds = inner_->Bounds();
  const Point topLeft = scale_.Down(Point{bounds.left, bounds.top});
  return {topLeft.x, topLeft.y, topLeft.x + scale_.Down(bounds.width()), topLeft.y + scale_.Down(bounds.height())};
}

}  // namespace kpf::platform::scaled
