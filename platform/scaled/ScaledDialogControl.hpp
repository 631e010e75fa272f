#pragma once
// A dialog control in character pixels: its bounds, font and picture go to the control below
// enlarged; what the user does comes back unchanged (control events carry no positions).
#include <memory>

#include "platform/DialogWindow.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledDialogControl : public DialogControl {
 public:
  ScaledDialogControl(std::unique_ptr<DialogControl> inner, PixelScale scale)
      : inner_(std::move(inner)), scale_(scale) {}

  void SetEvents(DialogControlEvents* events) override { inner_->SetEvents(events); }
  void SetBounds(const Rect& bounds) override;
  void SetVisible(bool visible) override { inner_->SetVisible(visible); }
  void SetEnabled(bool enabled) override { inner_->SetEnabled(enabled); }
  void SetText(const std::string& text) override { inner_->SetText(text); }
  std::string Text() const override { return inner_->Text(); }
  void SetItems(const std::vector<std::string>& items) override { inner_->SetItems(items); }
  void SetSelection(int index) override { inner_->SetSelection(index); }
  int Selection() const override { return inner_->Selection(); }
  void SetChecked(bool checked) override { inner_->SetChecked(checked); }
  bool Checked() const override { return inner_->Checked(); }
  void SetFont(const DialogFont& font) override;
  void SetColor(uint32_t rgb) override { inner_->SetColor(rgb); }
  void SetCursor(const DialogCursor& cursor) override { inner_->SetCursor(cursor); }
  void SetPicture(const Picture& picture) override { inner_->SetPicture(scale_.Up(picture)); }

 private:
  std::unique_ptr<DialogControl> inner_;
  PixelScale scale_;
};

}  // namespace kpf::platform::scaled
