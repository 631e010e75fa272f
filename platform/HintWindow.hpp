#pragma once
// The speech-hint window: undecorated, never focused, shaped like a speech bubble. The bubble's
// layout (lines, styles, sizes) is computed by the caller from the extents this window measures;
// the window paints it and cuts its shape to the painted outline.
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::platform {

struct HintTextStyle {
  bool bold = false;
  bool underline = false;
  bool italic = false;
  bool operator==(const HintTextStyle&) const = default;
};

struct TextExtent {
  int width = 0;
  int height = 0;
};

struct HintLine {
  std::string text;  // shown as plain text, never interpreted as markup
  HintTextStyle style;
  bool operator==(const HintLine&) const = default;
};

// A bubble picture of width × height: the body is the rounded rectangle (0, 0)-(width, bodyHeight)
// with 8 × 8 corners, the tail runs from (tailX, height) up to the body between tailX and
// tailX + 9; line i is drawn at (4, 4 + i × lineHeight). The window shows it `scale` times as
// large (outline, tail and text alike), so it spans width × scale by height × scale pixels.
struct HintBubble {
  std::vector<HintLine> lines;
  int lineHeight = 0;
  int width = 0;
  int bodyHeight = 0;
  int height = 0;
  int tailX = 0;
  int scale = 1;
};

class HintWindow {
 public:
  virtual ~HintWindow() = default;
  // Extent of one line in the hint font (regular, bold, italic as the style says).
  virtual TextExtent MeasureText(std::string_view text, const HintTextStyle& style) = 0;
  // Paints the bubble, shapes the window to it, places its top-left corner and shows it.
  virtual void Show(const HintBubble& bubble, Point topLeft) = 0;
  virtual void Hide() = 0;
  virtual bool Visible() const = 0;
  virtual Rect Bounds() const = 0;
  virtual void MoveTo(Point topLeft) = 0;
  virtual void SetStayOnTop(bool stayOnTop) = 0;
};

}  // namespace kpf::platform
