#pragma once
// A borderless top-level window that shows the character (or a hint bubble): position, size,
// visibility, stacking, and the three ways of making it non-rectangular or translucent.
#include <cstdint>
#include <span>
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
  // Per-pixel path: premultiplied picture shown with its alpha, scaled by `constantAlpha`.
  virtual void ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) = 0;
  // Whole-window opacity.
  virtual void SetOpacity(uint8_t alpha) = 0;
  virtual void SetCursor(int cursorNumber) = 0;
};

}  // namespace kpf::platform
