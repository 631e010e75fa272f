#include "platform/headless/HeadlessHintWindow.hpp"

#include <algorithm>
#include <utility>

namespace kpf::platform::headless {

HeadlessHintWindow::HeadlessHintWindow(std::shared_ptr<HeadlessDesktop> desktop) : desktop_(std::move(desktop)) {
  desktop_->hints.push_back(this);
}

HeadlessHintWindow::~HeadlessHintWindow() { std::erase(desktop_->hints, this); }

platform::TextExtent HeadlessHintWindow::MeasureText(std::string_view text, const platform::HintTextStyle& style) {
  measuredBytes_ += text.size();
  const int perChar = style.bold ? kBoldCharWidth : kCharWidth;
  return platform::TextExtent{static_cast<int>(text.size()) * perChar, kLineHeight};
}

void HeadlessHintWindow::Show(const platform::HintBubble& bubble, platform::Point topLeft) {
  bubble_ = bubble;
  const int scale = std::max(bubble.scale, 1);
  bounds_ = platform::Rect{topLeft.x, topLeft.y, topLeft.x + bubble.width * scale, topLeft.y + bubble.height * scale};
  visible_ = true;
  ++showCount_;
}

void HeadlessHintWindow::MoveTo(platform::Point topLeft) {
  bounds_ = platform::Rect{topLeft.x, topLeft.y, topLeft.x + bounds_.width(), topLeft.y + bounds_.height()};
}

}  // namespace kpf::platform::headless
