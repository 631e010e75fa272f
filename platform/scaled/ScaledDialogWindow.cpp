#include "platform/scaled/ScaledDialogWindow.hpp"

#include <algorithm>

#include "platform/scaled/ScaledDialogControl.hpp"

namespace kpf::platform::scaled {

namespace {

constexpr int kMaxClientSide = 16384;

}  // namespace

ScaledDialogWindow::ScaledDialogWindow(std::unique_ptr<DialogWindow> inner, PixelScale scale)
    : inner_(std::move(inner)), scale_(scale) {
  inner_->SetEvents(this);
}

ScaledDialogWindow::~ScaledDialogWindow() { inner_->SetEvents(nullptr); }

void ScaledDialogWindow::SetClientSize(int width, int height) {
  inner_->SetClientSize(std::clamp(scale_.UpSize(width), 1, kMaxClientSide),
                        std::clamp(scale_.UpSize(height), 1, kMaxClientSide));
}

Rect ScaledDialogWindow::Bounds() const {
  return scale_.DownWindowBounds(inner_->Bounds());
}

FrameExtents ScaledDialogWindow::Frame() const {
  const FrameExtents frame = inner_->Frame();
  return {scale_.Down(frame.left), scale_.Down(frame.top), scale_.Down(frame.right), scale_.Down(frame.bottom)};
}

void ScaledDialogWindow::SetShape(const Region* shape) {
  if (shape == nullptr) {
    inner_->SetShape(nullptr);
    return;
  }
  const Region scaled = scale_.Up(*shape);
  inner_->SetShape(&scaled);
}

std::unique_ptr<DialogControl> ScaledDialogWindow::CreateControl(DialogControlKind kind,
                                                                 const DialogControlStyle& style) {
  std::unique_ptr<DialogControl> control = inner_->CreateControl(kind, style);
  if (!control || scale_.Identity()) return control;
  return std::make_unique<ScaledDialogControl>(std::move(control), scale_);
}

void ScaledDialogWindow::WindowCloseRequested() {
  if (events_ != nullptr) events_->WindowCloseRequested();
}

void ScaledDialogWindow::BackgroundMouseDown(MouseButton button, int x, int y) {
  if (events_ != nullptr) events_->BackgroundMouseDown(button, scale_.Down(x), scale_.Down(y));
}

void ScaledDialogWindow::BackgroundMouseMove(bool leftHeld, int screenX, int screenY) {
  if (events_ != nullptr) events_->BackgroundMouseMove(leftHeld, scale_.Down(screenX), scale_.Down(screenY));
}

void ScaledDialogWindow::BackgroundClicked() {
  if (events_ != nullptr) events_->BackgroundClicked();
}

}  // namespace kpf::platform::scaled
