#pragma once
// A character window in character pixels over a window of the platform below: places and sizes
// go down multiplied, pictures and shapes enlarged pixel by pixel, and input comes back up in
// character pixels.
#include <memory>
#include <vector>

#include "platform/NativeWindow.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledWindow : public NativeWindow, private WindowInput {
 public:
  ScaledWindow(std::unique_ptr<NativeWindow> inner, PixelScale scale);
  ~ScaledWindow() override;
  ScaledWindow(const ScaledWindow&) = delete;
  ScaledWindow& operator=(const ScaledWindow&) = delete;

  void SetInput(WindowInput* input) override { input_ = input; }
  void SetTitle(const std::string& title) override { inner_->SetTitle(title); }
  void MoveResize(int x, int y, int width, int height) override;
  Rect Bounds() const override;
  void SetVisible(bool visible) override { inner_->SetVisible(visible); }
  bool Visible() const override { return inner_->Visible(); }
  void SetTopmost(bool topmost) override { inner_->SetTopmost(topmost); }
  bool Topmost() const override { return inner_->Topmost(); }
  void BringToFront() override { inner_->BringToFront(); }
  void Activate() override { inner_->Activate(); }
  bool PlaceBelow(uint64_t windowId) override { return inner_->PlaceBelow(windowId); }
  bool SupportsPerPixelAlpha() const override { return inner_->SupportsPerPixelAlpha(); }
  void ShowImage(const ImageView& image) override;
  void SetShape(const Region* shape) override;
  void SetShapeMask(const ShapeMask& mask) override { inner_->SetShapeMask(scale_.Up(mask)); }
  void ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) override;
  void SetOpacity(uint8_t alpha) override { inner_->SetOpacity(alpha); }
  void SetCursor(int cursorNumber) override { inner_->SetCursor(cursorNumber); }

  NativeWindow& Inner() { return *inner_; }

 private:
  // WindowInput of the window below.
  void MouseDown(MouseButton button, int x, int y) override;
  void MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) override;
  void MouseUp(MouseButton button) override;
  void DoubleClick() override;
  void KeyDown(int keyCode) override;
  void KeyUp(int keyCode) override;
  void CloseRequested() override;

  std::unique_ptr<NativeWindow> inner_;
  PixelScale scale_;
  WindowInput* input_ = nullptr;
  std::vector<uint32_t> pixels_;  // the enlarged picture last shown
};

}  // namespace kpf::platform::scaled
