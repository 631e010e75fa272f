#include "platform/scaled/ScaledDialogControl.hpp"

#include <algorithm>

namespace kpf::platform::scaled {

namespace {

// Control sizes and font heights the dialog interface allows.
constexpr int kMaxControlSide = 16384;
constexpr int kMaxFontHeight = 1000;

}  // namespace

void ScaledDialogControl::SetBounds(const Rect& bounds) {
  const int left = scale_.Up(bounds.left), top = scale_.Up(bounds.top);
  const int width = std::clamp(scale_.UpSize(bounds.width()), 0, kMaxControlSide);
  const int height = std::clamp(scale_.UpSize(bounds.height()), 0, kMaxControlSide);
  inner_->SetBounds({left, top, left + width, top + height});
}

void ScaledDialogControl::SetFont(const DialogFont& font) {
  DialogFont scaled = font;
  scaled.pixelHeight = std::clamp(scale_.UpSize(font.pixelHeight), 1, kMaxFontHeight);
  inner_->SetFont(scaled);
}

}  // namespace kpf::platform::scaled
