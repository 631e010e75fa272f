#pragma once
// The speech bubble in character pixels: the bubble is laid out as ever and painted `scale`
// times as large by the window below, which measures text in unscaled pixels.
#include <memory>

#include "platform/HintWindow.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledHintWindow : public HintWindow {
 public:
  ScaledHintWindow(std::unique_ptr<HintWindow> inner, PixelScale scale) : inner_(std::move(inner)), scale_(scale) {}

  TextExtent MeasureText(std::string_view text, const HintTextStyle& style) override {
    return inner_->MeasureText(text, style);
  }
  void Show(const HintBubble& bubble, Point topLeft) override;
  void Hide() override { inner_->Hide(); }
  bool Visible() const override { return inner_->Visible(); }
  Rect Bounds() const override;
  void MoveTo(Point topLeft) override { inner_->MoveTo(scale_.Up(topLeft)); }
  void SetStayOnTop(bool stayOnTop) override { inner_->SetStayOnTop(stayOnTop); }

 private:
  std::unique_ptr<HintWindow> inner_;
  PixelScale scale_;
};

}  // namespace kpf::platform::scaled
