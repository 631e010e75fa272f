#pragma once
// Desktop services of the screen-saver role: input anywhere on the screen (not only over our
// windows, and without taking a grab), a pointer read that can fail, the repaint of the desktop,
// and windows of other programs that we draw into (the settings dialog's preview window, the
// window a screen-saver daemon hands to its display programs).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/NativeWindow.hpp"
#include "platform/PopupMenu.hpp"
#include "platform/Types.hpp"

namespace kpf::platform {

// What the screen-wide watch reports: only that something happened, never which key.
enum class ScreenInput { KeyDown, MiddleButtonDown, OtherButtonDown, PointerMotion };

// Watching lasts as long as the object lives.
class InputWatch {
 public:
  virtual ~InputWatch() = default;
};

// Another program's window. Every request on it is made so that its disappearance (the other
// program may destroy it at any moment) is noticed, never fatal.
class ForeignWindow {
 public:
  virtual ~ForeignWindow() = default;
  // Its size now (0 × 0 once it has gone).
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Where its top-left corner lies on the screen.
  virtual Point ScreenOrigin() const = 0;
  virtual bool Gone() const = 0;
  // What the screen shows under the window now: opaque 0xFFRRGGBB, Width() × Height(), parts off
  // the screen black; empty when nothing can be read.
  virtual Picture CopyScreenUnder() = 0;
  // Paints `image` (0x??RRGGBB, alpha ignored) with its top-left corner at (x, y) of the window;
  // false when the window has gone.
  virtual bool Paint(int x, int y, const ImageView& image) = 0;
  // Called from the loop after the window changed size, needs repainting, or went away.
  std::function<void()> OnResized;
  std::function<void(const Rect& area)> OnExposed;
  std::function<void()> OnGone;
};

class ScreenSaverServices {
 public:
  virtual ~ScreenSaverServices() = default;
  // Reports key presses, button presses and pointer motion anywhere on the screen (on the loop
  // thread) while the returned object lives; null when the display cannot report them.
  virtual std::unique_ptr<InputWatch> WatchScreenInput(std::function<void(ScreenInput)> onInput) = 0;
  // The pointer's screen position; none when it cannot be read (on another screen, no pointer).
  virtual std::optional<Point> ReadPointer() = 0;
  // Asks every window of the desktop to draw itself again.
  virtual void RepaintDesktop() = 0;
  // The window with that id once it is shown, waiting (events still processed) at most `waitMs`;
  // null when the id names no window or it is not shown in time.
  virtual std::unique_ptr<ForeignWindow> OpenForeignWindow(uint64_t windowId, int waitMs) = 0;
  // The id of the whole screen's (root) window.
  virtual uint64_t ScreenWindowId() = 0;
  // The program's icon as the preview shows it.
  virtual Picture ApplicationIcon() = 0;
};

// Where a picture of `pictureWidth` × `pictureHeight` sits centred in an area of `width` ×
// `height`: half the difference on each axis, truncated toward zero.
inline Point CentredOffset(int width, int height, int pictureWidth, int pictureHeight) {
  return Point{(width - pictureWidth) / 2, (height - pictureHeight) / 2};
}

}  // namespace kpf::platform
