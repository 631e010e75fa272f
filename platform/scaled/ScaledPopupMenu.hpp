#pragma once
// A popup menu opened at a point in character pixels. The menu itself is the toolkit's, drawn at
// the toolkit's own scale.
#include <memory>

#include "platform/PopupMenu.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledPopupMenu : public PopupMenu {
 public:
  ScaledPopupMenu(std::unique_ptr<PopupMenu> inner, PixelScale scale) : inner_(std::move(inner)), scale_(scale) {}

  void Popup(const MenuModel& entries, Point at, MenuChoice onChosen) override {
    inner_->Popup(entries, scale_.Up(at), std::move(onChosen));
  }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }

 private:
  std::unique_ptr<PopupMenu> inner_;
  PixelScale scale_;
};

}  // namespace kpf::platform::scaled
