#include "desktop/TVrHint.hpp"

#include <algorithm>

#include "desktop/HintMarkup.hpp"

namespace kpf::desktop {
namespace {

// Room the bubble takes around its text: the inset above and below and the tail.
constexpr int kFrameHeight = 2 * kHintInset + 8;
constexpr int kTailDivisor = 16;

}  // namespace

TVrHint::TVrHint(platform::Platform& platform) : platform_(platform) {}

TVrHint::~TVrHint() = default;

platform::HintBubble TVrHint::Layout(std::string_view text, const Measure& measure, const platform::Rect& screen) {
  platform::HintBubble bubble;
  bubble.lineHeight = std::max(measure("Wg", platform::HintTextStyle{}).height, 1);
  const int screenWidth = std::max(screen.width(), kMinBubbleWidth);
  const int screenHeight = std::max(screen.height(), kFrameHeight + bubble.lineHeight);
  const auto fitting = static_cast<size_t>(std::max((screenHeight - kFrameHeight) / bubble.lineHeight, 1));
  bubble.lines = ParseHintMarkup(text, std::min(fitting, kMaxHintLines), kMaxHintLineBytes);

  int widest = 0;
  for (const platform::HintLine& line : bubble.lines) {
    widest = std::max(widest, measure(line.text, line.style).width);
    if (widest >= screenWidth) break;  // the bubble cannot grow any further
  }
  bubble.width = std::clamp(widest + 2 * kHintInset, kMinBubbleWidth, screenWidth);
  bubble.bodyHeight = static_cast<int>(bubble.lines.size()) * bubble.lineHeight + 2 * kHintInset;
  bubble.height = bubble.bodyHeight + 8;
  bubble.tailX = bubble.width / kTailDivisor;
  return bubble;
}

void TVrHint::ShowHintAt(std::string_view text, int x, int y) {
  if (text.empty()) return;
  if (!window_) {
    window_ = platform_.CreateHintWindow();
    window_->SetStayOnTop(stayOnTop_);
  }
  platform::HintWindow& window = *window_;
  const platform::HintBubble bubble = Layout(
      text, [&window](std::string_view line, const platform::HintTextStyle& style) {
        return window.MeasureText(line, style);
      },
      platform_.ScreenRect());
  window.Show(bubble, platform::Point{x, y - bubble.height});
}

void TVrHint::HideHint() {
  if (window_) window_->Hide();
}

void TVrHint::SetStayOnTop(bool stayOnTop) {
  stayOnTop_ = stayOnTop;
  if (window_) window_->SetStayOnTop(stayOnTop);
}

bool TVrHint::Showing() const { return window_ && window_->Visible(); }

void TVrHint::MoveBy(int dx, int dy) {
  if (!Showing()) return;
  const platform::Rect bounds = window_->Bounds();
  window_->MoveTo(platform::Point{bounds.left + dx, bounds.top + dy});
}

}  // namespace kpf::desktop
