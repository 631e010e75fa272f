#include "engine/TFormKPFPlayer.hpp"

namespace kpf::engine {

TFormKPFPlayer::TFormKPFPlayer(platform::Platform& platform, PlayerOptions options)
    : TCustomKPFPlayer(platform, std::move(options)), window_(platform.CreateWindow()), character_(*window_) {
  window_->SetInput(this);
  Dialogs().SetWindowQueries(
      [this]() -> std::optional<platform::Rect> {
        if (!window_->Visible()) return std::nullopt;
        return window_->Bounds();
      },
      [this](int cursorIndex) {
        return static_cast<size_t>(cursorIndex) < Model.Cursors.size() ? CursorNumber(cursorIndex) : 0;
      });
}

TFormKPFPlayer::~TFormKPFPlayer() {
  Dialogs().SetWindowQueries({}, {});
  window_->SetInput(nullptr);
}

void TFormKPFPlayer::ApplyBounds() {
  const project::TTaviEvent* animation = CurrentAnimation();
  const platform::Rect current = window_->Bounds();
  const int width = animation != nullptr ? animation->Width : current.width();
  const int height = animation != nullptr ? animation->Height : current.height();
  // The stored position may lie anywhere in the int range; the window system takes 16 bits.
  const int x = platform::ClampToWindowSystem(left_);
  const int y = platform::ClampToWindowSystem(top_);
  character_.SetBounds({x, y, x + width, y + height});
}

void TFormKPFPlayer::DrawFrame(int, int, int variant, const project::TTaviFrame& frame) {
  const int usable = frame.HasVariant(variant % 3) ? variant % 3 : 0;
  project::TVrBitmap* image = Model.FrameImage(frame, usable);
  if (image == nullptr) return;
  ApplyBounds();
  Model.PrepareOutline(frame, usable);
  image->ComputeHasAlpha();
  const project::TFrameVariant& shape = frame.Variants[static_cast<size_t>(usable)];
  render::CharacterFrame shown;
  shown.image = {image->Width(), image->Height(), image->Pixels()};
  shown.hasAlpha = image->HasAlpha();
  shown.useTransparentColor = frame.UseTransparentColor;
  shown.runs = shape.Region;
  shown.sameShape = shape.SameShape;
  if (shown.hasAlpha && Window().SupportsPerPixelAlpha()) {
    shown.premultiplied = image->Premultiplied();
  } else if (shown.hasAlpha && !shown.useTransparentColor && shown.runs.empty() && !shown.sameShape) {
    // The outline the window takes instead of the alpha: made once per picture.
    shown.alphaOutline = image->AlphaOutline();
  }
  character_.DrawFrame(shown);
}

void TFormKPFPlayer::SetAlpha(uint8_t alpha) { character_.SetAlpha(alpha); }

void TFormKPFPlayer::SetFormStyle(bool stayOnTop) { window_->SetTopmost(stayOnTop); }

bool TFormKPFPlayer::GetFormStyle() const { return window_->Topmost(); }

void TFormKPFPlayer::SetVisible(bool visible) {
  if (asideVisible_) {
    asideVisible_ = visible;
    return;
  }
  window_->SetVisible(visible);
}

void TFormKPFPlayer::SetWindowAside(bool aside) {
  if (aside == asideVisible_.has_value()) return;
  if (aside) {
    asideVisible_ = window_->Visible();
    window_->SetVisible(false);
  } else {
    const bool visible = *asideVisible_;
    asideVisible_.reset();
    window_->SetVisible(visible);
  }
}

bool TFormKPFPlayer::IsVisible() const { return asideVisible_ ? *asideVisible_ : window_->Visible(); }

void TFormKPFPlayer::BeginUpdate() {
  ++updateLock_;
  character_.BeginUpdate();
}

void TFormKPFPlayer::EndUpdate() {
  if (updateLock_ == 0) return;
  if (--updateLock_ == 0 && pendingPosition_) {
    const platform::Point pending = *pendingPosition_;
    pendingPosition_.reset();
    SetLeftTop(pending.x, pending.y);
    ApplyBounds();
  }
  // The last suspension applies the pending rectangle, picture and shape once.
  character_.EndUpdate();
}

void TFormKPFPlayer::MoveWindow(int x, int y) {
  if (updateLock_ > 0) {
    pendingPosition_ = platform::Point{x, y};
    return;
  }
  SetLeftTop(x, y);
  ApplyBounds();
}

bool TFormKPFPlayer::PlaceBelowWindow(uint64_t windowId) {
  ApplyBounds();
  return window_->PlaceBelow(windowId);
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
  Trace(Line("popup"));
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
