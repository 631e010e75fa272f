#pragma once
// A borderless top-level window that shows the character (or a hint bubble): position, size,
// visibility, stacking, and the three ways of making it non-rectangular or translucent.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::platform {

// A picture handed to the window: 0xAARRGGBB pixels, top row first.
struct ImageView {
  int width = 0;
  int height = 0;
  std::span<const uint32_t> pixels;
};

// A window shape: the union of these rectangles (window coordinates). Empty shows nothing.
using Region = std::vector<Rect>;

// A window shape as one bit per pixel, for outlines of more runs than a rectangle list should
// carry: rows of (width + 7) / 8 bytes, top row first; bit x % 8 (least significant first) of
// byte x / 8 is set where the window shows.
struct ShapeMask {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bits;
  size_t RowBytes() const { return (static_cast<size_t>(width > 0 ? width : 0) + 7) / 8; }
  bool Shows(int x, int y) const {
    return (bits[static_cast<size_t>(y) * RowBytes() + static_cast<size_t>(x) / 8] >> (x % 8) & 1) != 0;
  }
};

// Most rectangles a shape is given as; a shape of more runs goes as a ShapeMask (one request
// of millions of rectangles would exceed what the window system takes).
inline constexpr size_t kMaxShapeRectangles = 65536;

// Cursor numbers below 0 name the desktop's own cursors.
inline constexpr int kHandCursor = -21;

// Input the window reports to its owner, in the order the user produced it.
class WindowInput {
 public:
  virtual ~WindowInput() = default;
  // Window coordinates for the press; screen coordinates for moves.
  virtual void MouseDown(MouseButton button, int x, int y) = 0;
  virtual void MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) = 0;
  virtual void MouseUp(MouseButton button) = 0;
  virtual void DoubleClick() = 0;
  virtual void KeyDown(int keyCode) = 0;
  virtual void KeyUp(int keyCode) = 0;
  // The window manager asks the window to close.
  virtual void CloseRequested() = 0;
};

class NativeWindow {
 public:
  virtual ~NativeWindow() = default;
  virtual void SetInput(WindowInput* input) = 0;
  // The caption window managers and other programs see (by default the character's).
  virtual void SetTitle(const std::string& title) { (void)title; }
  virtual void MoveResize(int x, int y, int width, int height) = 0;
  virtual Rect Bounds() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void SetTopmost(bool topmost) = 0;
  virtual bool Topmost() const = 0;
  virtual void BringToFront() = 0;
  // Raises the window and gives it the keyboard focus, through the window manager.
  virtual void Activate() { BringToFront(); }
  // Restacks the window directly below the desktop window `windowId` names (an id of
  // Platform::WindowsFromForeground); false, changing nothing, when that window cannot be used.
  virtual bool PlaceBelow(uint64_t windowId) {
    (void)windowId;
    return false;
  }
  // True when the screen composites, so per-pixel alpha can be shown.
  virtual bool SupportsPerPixelAlpha() const = 0;
  // Region path: draws the picture opaque and clips the window to `shape` (null: rectangular).
  virtual void ShowImage(const ImageView& image) = 0;
  virtual void SetShape(const Region* shape) = 0;
  // The same from a bit mask; by default its runs become the rectangles of SetShape.
  virtual void SetShapeMask(const ShapeMask& mask) {
    Region runs;
    for (int y = 0; y < mask.height; ++y) {
      for (int x = 0; x < mask.width;) {
        if (!mask.Shows(x, y)) {
          ++x;
          continue;
        }
        const int start = x;
        while (x < mask.width && mask.Shows(x, y)) ++x;
        runs.push_back(Rect{start, y, x, y + 1});
      }
    }
    SetShape(&runs);
  }
  // Per-pixel path: premultiplied picture shown with its alpha, scaled by `constantAlpha`.
  virtual void ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) = 0;
  // Whole-window opacity.
  virtual void SetOpacity(uint8_t alpha) = 0;
  // A registered cursor's number, 0 for the default pointer, or kHandCursor.
  virtual void SetCursor(int cursorNumber) = 0;
};

}  // namespace kpf::platform
