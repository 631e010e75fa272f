#include "app/HostedWindow.hpp"

#include <algorithm>

#include "app/HostedScreen.hpp"
#include "app/PixelBlend.hpp"

namespace kpf::app {

HostedWindow::HostedWindow(HostedScreen& screen) : screen_(screen) {}

HostedWindow::~HostedWindow() { screen_.Remove(*this); }

void HostedWindow::Changed(const platform::Rect& area) {
  if (visible_) screen_.Invalidate(area);
}

void HostedWindow::MoveResize(int x, int y, int width, int height) {
  const platform::Rect old = bounds_;
  bounds_ = {x, y, x + std::max(width, 0), y + std::max(height, 0)};
  if (bounds_.width() != old.width() || bounds_.height() != old.height()) BuildMask();
  Changed(Enclosing(old, bounds_));
}

void HostedWindow::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  screen_.Invalidate(bounds_);
}

void HostedWindow::SetTopmost(bool topmost) {
  topmost_ = topmost;
  Changed(bounds_);
}

void HostedWindow::BringToFront() { screen_.Raise(*this); }

void HostedWindow::TakePicture(const platform::ImageView& image, Paint paint) {
  const size_t count = static_cast<size_t>(std::max(image.width, 0)) * static_cast<size_t>(std::max(image.height, 0));
  if (image.pixels.size() < count) return;
  picture_.assign(image.pixels.begin(), image.pixels.begin() + static_cast<std::ptrdiff_t>(count));
  pictureWidth_ = std::max(image.width, 0);
  pictureHeight_ = std::max(image.height, 0);
  paint_ = paint;
  Changed(bounds_);
}

void HostedWindow::ShowImage(const platform::ImageView& image) {
  TakePicture(image, Paint::Opaque);
}

void HostedWindow::SetShape(const platform::Region* shape) {
  shaped_ = shape != nullptr;
  shape_ = shaped_ ? *shape : platform::Region{};
  BuildMask();
  Changed(bounds_);
}

void HostedWindow::ShowLayered(const platform::ImageView& premultiplied, uint8_t constantAlpha) {
  // The picture's alpha decides what shows, as on a compositing screen.
  shaped_ = false;
  shape_.clear();
  mask_.clear();
  layeredAlpha_ = constantAlpha;
  TakePicture(premultiplied, Paint::PerPixel);
}

void HostedWindow::SetOpacity(uint8_t alpha) {
  opacity_ = alpha;
  Changed(bounds_);
}

void HostedWindow::BuildMask() {
  mask_.clear();
  if (!shaped_) return;
  const int width = bounds_.width(), height = bounds_.height();
  mask_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
  for (const platform::Rect& part : shape_) {
    const platform::Rect inside = Intersection(part, {0, 0, width, height});
    for (int y = inside.top; y < inside.bottom; ++y) {
      std::fill_n(mask_.begin() + static_cast<std::ptrdiff_t>(y) * width + inside.left, std::max(inside.width(), 0), 1);
    }
  }
}

void HostedWindow::DrawOnto(std::span<uint32_t> canvas, const platform::Rect& area) const {
  if (!visible_ || paint_ == Paint::Nothing) return;
  const platform::Rect picture{bounds_.left, bounds_.top, bounds_.left + std::min(pictureWidth_, bounds_.width()),
                               bounds_.top + std::min(pictureHeight_, bounds_.height())};
  const platform::Rect drawn = Intersection(picture, area);
  if (IsEmpty(drawn)) return;
  const uint32_t layered = (uint32_t{layeredAlpha_} * opacity_ + 127) / 255;
  for (int y = drawn.top; y < drawn.bottom; ++y) {
    const int row = y - bounds_.top;
    for (int x = drawn.left; x < drawn.right; ++x) {
      const int column = x - bounds_.left;
      if (shaped_ && mask_[static_cast<size_t>(row) * static_cast<size_t>(bounds_.width()) + static_cast<size_t>(column)] == 0) {
        continue;
      }
      const uint32_t source = picture_[static_cast<size_t>(row) * static_cast<size_t>(pictureWidth_) + static_cast<size_t>(column)];
      uint32_t& target =
          canvas[static_cast<size_t>(y - area.top) * static_cast<size_t>(area.width()) + static_cast<size_t>(x - area.left)];
      if (paint_ == Paint::PerPixel) {
        target = OverPremultiplied(source, target, layered);
      } else {
        target = opacity_ == 255 ? (source | 0xFF000000u) : Blend(source, target, opacity_);
      }
    }
  }
}

}  // namespace kpf::app
