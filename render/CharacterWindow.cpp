#include "render/CharacterWindow.hpp"

#include "project/Premultiply.hpp"
#include "project/Shape.hpp"

namespace kpf::render {

const std::array<uint8_t, 256 * 256>& CharacterWindow::MultiplyTable() { return project::MultiplyTable(); }

void CharacterWindow::Premultiply(std::span<const uint32_t> argb, std::vector<uint32_t>& out) {
  project::Premultiply(argb, out);
}

platform::Region CharacterWindow::AlphaOutline(const platform::ImageView& image) {
  return project::AlphaOutline(image);
}

CharacterWindow::Pending CharacterWindow::Prepare(const CharacterFrame& frame) const {
  Pending pending;
  pending.width = frame.image.width;
  pending.height = frame.image.height;
  if (frame.image.width <= 0 || frame.image.height <= 0) {
    // An empty picture shows nothing: the window keeps no outline, whatever the frame stores.
    pending.change = ShapeChange::Set;
    return pending;
  }
  pending.perPixel = frame.hasAlpha && window_.SupportsPerPixelAlpha();
  const size_t count = static_cast<size_t>(frame.image.width) * static_cast<size_t>(frame.image.height);
  if (pending.perPixel && frame.premultiplied && frame.premultiplied->size() == count &&
      frame.image.pixels.size() == count) {
    pending.premultiplied = frame.premultiplied;
  }
  if (pending.perPixel || frame.sameShape) return pending;
  if (!frame.runs.empty()) {
    pending.change = ShapeChange::Set;
    pending.shape = project::RunListToRegion(frame.runs);
  } else if (frame.useTransparentColor) {
    // Every pixel is transparent: the window shows nothing.
    pending.change = ShapeChange::Set;
  } else if (frame.hasAlpha) {
    // Without compositing, partly transparent pixels would show over black: the window takes the
    // outline of the pixels that are not fully transparent instead.
    pending.change = ShapeChange::Set;
    pending.shape = frame.alphaOutline ? *frame.alphaOutline : AlphaOutline(frame.image);
  } else {
    pending.change = ShapeChange::Rectangular;
  }
  return pending;
}

void CharacterWindow::DrawFrame(const CharacterFrame& frame) {
  Pending pending = Prepare(frame);
  if (updateLock_ > 0) {
    // Only the last frame's picture counts, so only a deferred picture is copied (a shared
    // premultiplied one is kept as it is); a kept shape still refers to the shape pending.
    if (!pending.premultiplied) pending.pixels.assign(frame.image.pixels.begin(), frame.image.pixels.end());
    if (pending.change == ShapeChange::Keep && pendingFrame_) {
      pending.change = pendingFrame_->change;
      pending.shape = std::move(pendingFrame_->shape);
    }
    pendingFrame_ = std::move(pending);
    return;
  }
  Show(pending, frame.image.pixels);
}

void CharacterWindow::Show(const Pending& frame, std::span<const uint32_t> pixels) {
  const platform::ImageView view{frame.width, frame.height, pixels};
  if (frame.perPixel) {
    if (frame.premultiplied) {
      work_ = frame.premultiplied;
    } else {
      auto made = std::make_shared<std::vector<uint32_t>>();
      Premultiply(pixels, *made);
      work_ = std::move(made);
    }
    workWidth_ = frame.width;
    workHeight_ = frame.height;
    // The picture carries the opacity itself; the window's own opacity would apply it twice.
    ApplyOpacity(255);
    layeredAlpha_ = windowAlpha_;
    ShowLayered();
    perPixelActive_ = true;
    return;
  }
  const bool leavingPerPixel = perPixelActive_;
  // ShowImage drops the per-pixel state before the shape is set.
  window_.ShowImage(view);
  perPixelActive_ = false;
  ApplyOpacity(windowAlpha_);
  switch (frame.change) {
    case ShapeChange::Keep:
      // The per-pixel picture before this one left the window without its shape.
      if (leavingPerPixel) window_.SetShape(currentShape_ ? &*currentShape_ : nullptr);
      break;
    case ShapeChange::Rectangular:
      currentShape_.reset();
      window_.SetShape(nullptr);
      break;
    case ShapeChange::Set:
      // Frames of one picture, or of pictures with one outline, leave the window's shape as it is.
      if (leavingPerPixel || !currentShape_ || *currentShape_ != frame.shape) {
        currentShape_ = frame.shape;
        window_.SetShape(&*currentShape_);
      }
      break;
  }
}

void CharacterWindow::ShowLayered() {
  window_.ShowLayered({workWidth_, workHeight_, *work_}, layeredAlpha_);
}

void CharacterWindow::ApplyOpacity(uint8_t alpha) {
  if (appliedOpacity_ == alpha) return;
  appliedOpacity_ = alpha;
  window_.SetOpacity(alpha);
}

void CharacterWindow::SetAlpha(uint8_t alpha) {
  if (perPixelActive_) {
    if (alpha != layeredAlpha_) {
      layeredAlpha_ = alpha;
      ShowLayered();
    }
  } else {
    ApplyOpacity(alpha);
  }
  windowAlpha_ = alpha;
}

void CharacterWindow::SetBounds(const platform::Rect& bounds) {
  if (updateLock_ > 0) {
    pendingBounds_ = bounds;
    return;
  }
  window_.MoveResize(bounds.left, bounds.top, bounds.width(), bounds.height());
}

void CharacterWindow::EndUpdate() {
  if (--updateLock_ > 0) return;
  updateLock_ = 0;
  if (pendingBounds_) {
    const platform::Rect bounds = *pendingBounds_;
    pendingBounds_.reset();
    window_.MoveResize(bounds.left, bounds.top, bounds.width(), bounds.height());
  }
  if (pendingFrame_) {
    const Pending frame = std::move(*pendingFrame_);
    pendingFrame_.reset();
    Show(frame, frame.pixels);
  }
}

}  // namespace kpf::render
