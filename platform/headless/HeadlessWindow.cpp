#include "platform/headless/HeadlessWindow.hpp"

#include <utility>

namespace kpf::platform::headless {

HeadlessWindow::HeadlessWindow(std::shared_ptr<HeadlessScreen> screen) : screen_(std::move(screen)) {
  id_ = screen_->nextWindowId++;
  screen_->windows.push_back(this);
}

HeadlessWindow::~HeadlessWindow() { screen_->Remove(this); }

void HeadlessWindow::MoveResize(int x, int y, int width, int height) {
  bounds_ = platform::Rect{x, y, x + width, y + height};
}

void HeadlessWindow::ShowImage(const platform::ImageView& image) {
  Record(image);
  layered_ = false;
}

void HeadlessWindow::SetShape(const platform::Region* shape) {
  mask_.reset();
  if (shape == nullptr) {
    shape_.reset();
  } else {
    shape_ = *shape;
  }
}

void HeadlessWindow::SetShapeMask(const platform::ShapeMask& mask) {
  shape_.reset();
  mask_ = mask;
}

void HeadlessWindow::ShowLayered(const platform::ImageView& premultiplied, uint8_t constantAlpha) {
  Record(premultiplied);
  layered_ = true;
  layeredAlpha_ = constantAlpha;
}

void HeadlessWindow::Record(const platform::ImageView& image) {
  imageWidth_ = image.width;
  imageHeight_ = image.height;
  imagePixels_.assign(image.pixels.begin(), image.pixels.end());
  ++imageCount_;
}

void HeadlessWindow::PressMouse(platform::MouseButton button, int x, int y) {
  if (input_ != nullptr) input_->MouseDown(button, x, y);
}

void HeadlessWindow::MoveMouse(bool leftHeld, bool rightHeld, int screenX, int screenY) {
  if (input_ != nullptr) input_->MouseMove(leftHeld, rightHeld, screenX, screenY);
}

void HeadlessWindow::ReleaseMouse(platform::MouseButton button) {
  if (input_ != nullptr) input_->MouseUp(button);
}

void HeadlessWindow::DoubleClick() {
  if (input_ != nullptr) input_->DoubleClick();
}

void HeadlessWindow::PressKey(int keyCode) {
  if (input_ != nullptr) input_->KeyDown(keyCode);
}

void HeadlessWindow::ReleaseKey(int keyCode) {
  if (input_ != nullptr) input_->KeyUp(keyCode);
}

void HeadlessWindow::RequestClose() {
  if (input_ != nullptr) input_->CloseRequested();
}

}  // namespace kpf::platform::headless
