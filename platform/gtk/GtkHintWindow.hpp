#pragma once
// The speech bubble on X11: the bubble is painted with cairo and Pango into a picture on a pure
// green key colour, and shown in a character-style window (GtkNativeWindow) whose X shape is the
// picture's non-green pixels. The window never takes the keyboard focus.
//
// Font: "Tahoma" 8 points at 96 dpi, falling back to the desktop's sans-serif face. Colours: the
// classic tooltip colours (black on light yellow), so bubbles look the same on every theme.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/HintWindow.hpp"
#include "platform/NativeWindow.hpp"

typedef struct _PangoLayout PangoLayout;
typedef struct _cairo cairo_t;

namespace kpf::platform::gtk {

class GtkNativeWindow;

// The key colour of the bubble picture (0xRRGGBB) and the largest picture painted.
inline constexpr uint32_t kHintKeyColour = 0x008000;
inline constexpr int kMaxHintPictureSide = 4096;
inline constexpr int kMaxHintScale = 4;

class GtkHintWindow : public HintWindow {
 public:
  GtkHintWindow();
  ~GtkHintWindow() override;
  GtkHintWindow(const GtkHintWindow&) = delete;
  GtkHintWindow& operator=(const GtkHintWindow&) = delete;

  TextExtent MeasureText(std::string_view text, const HintTextStyle& style) override;
  void Show(const HintBubble& bubble, Point topLeft) override;
  void Hide() override;
  bool Visible() const override;
  Rect Bounds() const override;
  void MoveTo(Point topLeft) override;
  void SetStayOnTop(bool stayOnTop) override;

  // The bubble painted as 0xFFRRGGBB pixels, its width and height times its scale (both capped
  // at kMaxHintPictureSide); for the window and for tests.
  static std::vector<uint32_t> Paint(const HintBubble& bubble, int& width, int& height);
  // The window's X id, for tests.
  unsigned long XWindowId() const;

 private:
  std::unique_ptr<GtkNativeWindow> window_;
  std::vector<uint32_t> pixels_;
};

}  // namespace kpf::platform::gtk
