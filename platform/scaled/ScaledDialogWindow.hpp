#pragma once
// A project dialog window in character pixels over a dialog window of the platform below: size,
// place, shape and background go down enlarged, presses and moves on the background come back
// in character pixels, and its controls are ScaledDialogControls.
#include <memory>

#include "platform/DialogWindow.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledDialogWindow : public DialogWindow, private DialogWindowEvents {
 public:
  ScaledDialogWindow(std::unique_ptr<DialogWindow> inner, PixelScale scale);
  ~ScaledDialogWindow() override;
  ScaledDialogWindow(const ScaledDialogWindow&) = delete;
  ScaledDialogWindow& operator=(const ScaledDialogWindow&) = delete;

  void SetEvents(DialogWindowEvents* events) override { events_ = events; }
  void SetCaption(const std::string& caption) override { inner_->SetCaption(caption); }
  void SetBorder(DialogBorder border) override { inner_->SetBorder(border); }
  void SetBorderIcons(const DialogBorderIcons& icons) override { inner_->SetBorderIcons(icons); }
  void SetClientSize(int width, int height) override;
  void MoveTo(int left, int top) override { inner_->MoveTo(scale_.Up(left), scale_.Up(top)); }
  void PlaceByDesktop() override { inner_->PlaceByDesktop(); }
  Rect Bounds() const override;
  FrameExtents Frame() const override;
  void SetColor(uint32_t rgb) override { inner_->SetColor(rgb); }
  void SetBackground(const Picture& picture) override { inner_->SetBackground(scale_.Up(picture)); }
  void SetShape(const Region* shape) override;
  void SetTopmost(bool topmost) override { inner_->SetTopmost(topmost); }
  void SetFullScreen(bool fullScreen) override { inner_->SetFullScreen(fullScreen); }
  void SetModal(bool modal) override { inner_->SetModal(modal); }
  void Show(bool activate) override { inner_->Show(activate); }
  void Hide() override { inner_->Hide(); }
  bool Visible() const override { return inner_->Visible(); }
  void BringToFront() override { inner_->BringToFront(); }
  std::unique_ptr<DialogControl> CreateControl(DialogControlKind kind, const DialogControlStyle& style) override;

 private:
  // DialogWindowEvents of the window below.
  void WindowCloseRequested() override;
  void BackgroundMouseDown(MouseButton button, int x, int y) override;
  void BackgroundMouseMove(bool leftHeld, int screenX, int screenY) override;
  void BackgroundClicked() override;

  std::unique_ptr<DialogWindow> inner_;
  PixelScale scale_;
  DialogWindowEvents* events_ = nullptr;
};

}  // namespace kpf::platform::scaled
