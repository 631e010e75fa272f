#include "engine/TFormKPFPlayer.hpp"

#include "project/Shape.hpp"

namespace kpf::engine {

TFormKPFPlayer::TFormKPFPlayer(platform::Platform& platform, PlayerOptions options)
    : TCustomKPFPlayer(platform, std::move(options)), window_(platform.CreateWindow()) {
  window_->SetInput(this);
}

TFormKPFPlayer::~TFormKPFPlayer() { window_->SetInput(nullptr); }

void TFormKPFPlayer::Premultiply(std::span<const uint32_t> pixels, std::vector<uint32_t>& out) {
  out.resize(pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) {
    const uint32_t p = pixels[i];
    const uint32_t a = p >> 24;
    auto scale = [a](uint32_t channel) { return (channel * a + 127) / 255; };
    out[i] = (a << 24) | (scale((p >> 16) & 0xFF) << 16) | (scale((p >> 8) & 0xFF) << 8) | scale(p & 0xFF);
  }
}

void TFormKPFPlayer::ApplyBounds() {
  const project::TTaviEvent* animation = CurrentAnimation();
  const int width = animation != nullptr ? animation->Width : window_->Bounds().width();
  const int height = animation != nullptr ? animation->Height : window_->Bounds().height();
  window_->MoveResize(left_, top_, width, height);
}

void TFormKPFPlayer::DrawFrame(int, int, int variant, const project::TTaviFrame& frame) {
  const int usable = frame.HasVariant(variant % 3) ? variant % 3 : 0;
  project::TVrBitmap* image = Model.FrameImage(frame, usable);
  if (image == nullptr) return;
  ApplyBounds();
  const std::span<const uint32_t> pixels = image->Pixels();
  image->ComputeHasAlpha();
  if (image->HasAlpha() && window_->SupportsPerPixelAlpha()) {
    Premultiply(pixels, premultiplied_);
    layeredSize_ = {image->Width(), image->Height()};
    window_->ShowLayered({layeredSize_->x, layeredSize_->y, premultiplied_}, alpha_);
    return;
  }
  layeredSize_.reset();
  window_->ShowImage({image->Width(), image->Height(), pixels});
  const auto& runs = frame.Variants[static_cast<size_t>(usable)].Region;
  if (runs.empty()) {
    window_->SetShape(nullptr);
  } else {
    const platform::Region region = project::RunListToRegion(runs);
    window_->SetShape(&region);
  }
}

void TFormKPFPlayer::SetAlpha(uint8_t alpha) {
  alpha_ = alpha;
  window_->SetOpacity(alpha);
  // A per-pixel picture carries the constant alpha itself: show it again with the new one.
  if (layeredSize_) window_->ShowLayered({layeredSize_->x, layeredSize_->y, premultiplied_}, alpha_);
}

void TFormKPFPlayer::SetFormStyle(bool stayOnTop) { window_->SetTopmost(stayOnTop); }

bool TFormKPFPlayer::GetFormStyle() const { return window_->Topmost(); }

void TFormKPFPlayer::SetVisible(bool visible) { window_->SetVisible(visible); }

bool TFormKPFPlayer::IsVisible() const { return window_->Visible(); }

void TFormKPFPlayer::BeginUpdate() { ++updateLock_; }

void TFormKPFPlayer::EndUpdate() {
  if (updateLock_ == 0) return;
  if (--updateLock_ > 0 || !pendingPosition_) return;
  const platform::Point pending = *pendingPosition_;
  pendingPosition_.reset();
  SetLeftTop(pending.x, pending.y);
  ApplyBounds();
}

void TFormKPFPlayer::MoveWindow(int x, int y) {
  if (updateLock_ > 0) {
    pendingPosition_ = platform::Point{x, y};
    return;
  }
  SetLeftTop(x, y);
  ApplyBounds();
}

void TFormKPFPlayer::SetCursor(int cursorIndex) {
  cursorIndex_ = cursorIndex;
  window_->SetCursor(CursorNumber(cursorIndex));
}

void TFormKPFPlayer::SetCursorBase(int base) {
  cursorBase_ = base;
  window_->SetCursor(CursorNumber(cursorIndex_));
}

void TFormKPFPlayer::PrepareHint() { window_->BringToFront(); }

void TFormKPFPlayer::MenuPopup() {
  if (window_->Topmost()) window_->BringToFront();
}

void TFormKPFPlayer::MouseDown(platform::MouseButton button, int x, int y) {
  TCustomKPFPlayer::MouseDown(button, x, y);
  // The right button opens the popup menu the character image carries.
  if (button == platform::MouseButton::Right) PopupMenuAtPointer();
}

void TFormKPFPlayer::PopupMenuAtPointer() {
  if (!popupAttached_ || Closed()) return;
  MenuPopup();
  Trace(TraceLine(NowMs(), "popup"));
  if (OnPopupMenu) OnPopupMenu(Menu());
}

void TFormKPFPlayer::MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) {
  TCustomKPFPlayer::MouseMove(leftHeld, rightHeld, screenX, screenY);
}

void TFormKPFPlayer::MouseUp(platform::MouseButton button) { TCustomKPFPlayer::MouseUp(button); }

void TFormKPFPlayer::DoubleClick() { DblClick(); }

void TFormKPFPlayer::KeyDown(int keyCode) { TCustomKPFPlayer::KeyDown(keyCode); }

void TFormKPFPlayer::KeyUp(int keyCode) { TCustomKPFPlayer::KeyUp(keyCode); }

void TFormKPFPlayer::CloseRequested() { CloseClick(true); }

}  // namespace kpf::engine
