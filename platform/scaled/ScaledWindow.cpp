#include "platform/scaled/ScaledWindow.hpp"

namespace kpf::platform::scaled {

ScaledWindow::ScaledWindow(std::unique_ptr<NativeWindow> inner, PixelScale scale)
    : inner_(std::move(inner)), scale_(scale) {
  inner_->SetInput(this);
}

ScaledWindow::~ScaledWindow() { inner_->SetInput(nullptr); }

void ScaledWindow::MoveResize(int x, int y, int width, int height) {
  inner_->MoveResize(scale_.Up(x), scale_.Up(y), scale_.UpSize(width), scale_.UpSize(height));
}

Rect ScaledWindow::Bounds() const {
  return scale_.DownWindowBounds(inner_->Bounds());
}

void ScaledWindow::ShowImage(const ImageView& image) { inner_->ShowImage(scale_.Up(image, pixels_)); }

void ScaledWindow::SetShape(const Region* shape) {
  if (shape == nullptr) {
    inner_->SetShape(nullptr);
    return;
  }
  const Region scaled = scale_.Up(*shape);
  inner_->SetShape(&scaled);
}

void ScaledWindow::ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) {
  inner_->ShowLayered(scale_.Up(premultiplied, pixels_), constantAlpha);
}

void ScaledWindow::MouseDown(MouseButton button, int x, int y) {
  if (input_ != nullptr) input_->MouseDown(button, scale_.Down(x), scale_.Down(y));
}

void ScaledWindow::MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) {
  if (input_ != nullptr) input_->MouseMove(leftHeld, rightHeld, scale_.Down(screenX), scale_.Down(screenY));
}

void ScaledWindow::MouseUp(MouseButton button) {
  if (input_ != nullptr) input_->MouseUp(button);
}

void ScaledWindow::DoubleClick() {
  if (input_ != nullptr) input_->DoubleClick();
}

void ScaledWindow::KeyDown(int keyCode) {
  if (input_ != nullptr) input_->KeyDown(keyCode);
}

void ScaledWindow::KeyUp(int keyCode) {
  if (input_ != nullptr) input_->KeyUp(keyCode);
}

void ScaledWindow::CloseRequested() {
  if (input_ != nullptr) input_->CloseRequested();
}

}  // namespace kpf::platform::scaled
