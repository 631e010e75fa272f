#pragma once
// The one porting interface: every service of the desktop the player uses. The core never
// includes a backend; a backend implements this class (headless for tests and tools, gtk for the
// Linux desktop).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/EventLoop.hpp"
#include "platform/NativeWindow.hpp"
#include "platform/Timer.hpp"
#include "platform/Types.hpp"

namespace kpf::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // Loop, clock and timers.
  virtual EventLoop& Loop() = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  virtual LocalTime Now() = 0;

  // Desktop queries.
  virtual Rect ScreenRect() = 0;
  virtual Rect WorkArea() = 0;
  virtual Point Pointer() = 0;
  // Top-level windows from the foreground (active) one downwards in stacking order.
  virtual std::vector<DesktopWindow> WindowsFromForeground() = 0;
  // The panel/taskbar window, when the desktop has one.
  virtual std::optional<Rect> TaskbarRect() = 0;
  virtual bool HasWaveOut() = 0;

  // Windows.
  virtual std::unique_ptr<NativeWindow> CreateWindow() = 0;

  // Services.
  virtual MessageBoxResult MessageBox(const std::string& text, const std::string& caption,
                                      MessageBoxIcon icon, MessageBoxButtons buttons) = 0;
  // Opens a document or address with the desktop's default handler; false when it cannot.
  virtual bool ShellOpen(const std::string& target) = 0;
  virtual void SetApplicationMinimised(bool minimised) = 0;
};

}  // namespace kpf::platform
