#pragma once
// A hint window that records the bubble it was given, where, and how often it was shown. Text
// is measured with fixed metrics so that layouts are reproducible: every byte is 6 pixels wide
// (7 in bold), every line 13 pixels high.
#include <memory>
#include <optional>
#include <string_view>

#include "platform/HintWindow.hpp"
#include "platform/headless/HeadlessDesktop.hpp"

namespace kpf::platform::headless {

class HeadlessHintWindow : public platform::HintWindow {
 public:
  static constexpr int kCharWidth = 6;
  static constexpr int kBoldCharWidth = 7;
  static constexpr int kLineHeight = 13;

  explicit HeadlessHintWindow(std::shared_ptr<HeadlessDesktop> desktop);
  ~HeadlessHintWindow() override;
  HeadlessHintWindow(const HeadlessHintWindow&) = delete;
  HeadlessHintWindow& operator=(const HeadlessHintWindow&) = delete;

  platform::TextExtent MeasureText(std::string_view text, const platform::HintTextStyle& style) override;
  void Show(const platform::HintBubble& bubble, platform::Point topLeft) override;
  void Hide() override { visible_ = false; }
  bool Visible() const override { return visible_; }
  platform::Rect Bounds() const override { return bounds_; }
  void MoveTo(platform::Point topLeft) override;
  void SetStayOnTop(bool stayOnTop) override { stayOnTop_ = stayOnTop; }

  // The last bubble shown (none before the first Show).
  const std::optional<platform::HintBubble>& Bubble() const { return bubble_; }
  bool StayOnTop() const { return stayOnTop_; }
  int ShowCount() const { return showCount_; }
  // Bytes handed to MeasureText so far: shows that hostile texts were cut before measuring.
  size_t MeasuredBytes() const { return measuredBytes_; }

 private:
  std::shared_ptr<HeadlessDesktop> desktop_;
  std::optional<platform::HintBubble> bubble_;
  platform::Rect bounds_;
  bool visible_ = false;
  bool stayOnTop_ = false;
  int showCount_ = 0;
  size_t measuredBytes_ = 0;
};

}  // namespace kpf::platform::headless
