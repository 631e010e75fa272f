#pragma once
// The screen-saver services on X11: XInput 2 raw events for input anywhere on the screen, the
// pointer read with its "not on this screen" answer, the root window's repaint, and other
// programs' windows (X11ForeignWindow), all on GDK's display.
#include <memory>

#include "platform/EventLoop.hpp"
#include "platform/ScreenSaverServices.hpp"

typedef struct _XDisplay Display;

namespace kpf::platform::gtk {

class GtkScreenSaver : public platform::ScreenSaverServices {
 public:
  GtkScreenSaver(Display* display, platform::EventLoop& loop) : display_(display), loop_(loop) {}

  std::unique_ptr<platform::InputWatch> WatchScreenInput(std::function<void(platform::ScreenInput)> onInput) override;
  std::optional<platform::Point> ReadPointer() override;
  // Clears the root window with exposures, so the desktop draws its background again.
  void RepaintDesktop() override;
  std::unique_ptr<platform::ForeignWindow> OpenForeignWindow(uint64_t windowId, int waitMs) override;
  uint64_t ScreenWindowId() override;
  // The theme's "application-x-executable" at 32 pixels, else a plain drawn frame.
  platform::Picture ApplicationIcon() override;

 private:
  Display* display_;
  platform::EventLoop& loop_;
};

}  // namespace kpf::platform::gtk
