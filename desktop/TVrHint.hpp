#pragma once
// The character's speech bubble: renders a hint text as a bubble with a tail and shows it so that
// the tail's tip points at a screen point. The window is made on first use.
//
// Layout: LineHeight is the font's line height; W is the widest line + 8 (at least
// kMinBubbleWidth, so the tail fits under the body); B = lines × LineHeight + 8; the picture is
// W × (B + 8) and the tail starts at T = W / 16. The picture never exceeds the screen: lines
// that do not fit are dropped (and never measured) and W is cut to the screen width.
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/HintWindow.hpp"
#include "platform/Platform.hpp"

namespace kpf::desktop {

inline constexpr int kHintInset = 4;
inline constexpr int kMinBubbleWidth = 24;
// Bounds on what is parsed and measured, whatever the screen.
inline constexpr size_t kMaxHintLines = 512;
inline constexpr size_t kMaxHintLineBytes = 4096;

class TVrHint {
 public:
  using Measure = std::function<platform::TextExtent(std::string_view, const platform::HintTextStyle&)>;

  explicit TVrHint(platform::Platform& platform);
  ~TVrHint();
  TVrHint(const TVrHint&) = delete;
  TVrHint& operator=(const TVrHint&) = delete;

  // Renders the text, places the bubble with its left edge at x and its bottom edge at y and
  // shows it. An empty text does nothing.
  void ShowHintAt(std::string_view text, int x, int y);
  void HideHint();
  void SetStayOnTop(bool stayOnTop);
  bool Showing() const;
  // Moves an open bubble with the character.
  void MoveBy(int dx, int dy);
  // The window, once made (for the owner's tests).
  platform::HintWindow* Window() const { return window_.get(); }

  // The bubble of a text for a screen of `screen` size, text measured by `measure`.
  static platform::HintBubble Layout(std::string_view text, const Measure& measure, const platform::Rect& screen);

 private:
  platform::Platform& platform_;
  std::unique_ptr<platform::HintWindow> window_;
  bool stayOnTop_ = false;
};

}  // namespace kpf::desktop
