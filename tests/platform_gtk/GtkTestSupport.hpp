#pragma once
// Shared pieces of the tests that need the X server: the fixture that skips without one, a wait
// that runs the loop until something happened, screen read-back, synthetic input and helper
// programs. gtest and the project's headers come before X's, whose macros (None, Bool) clash.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/gtk/GtkNativeWindow.hpp"
#include "platform/gtk/GtkPlatform.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

extern char** environ;

namespace kpf::platform::gtk::testing {

// The platform on the program's own Xvfb server, made on first use (SharedPlatform.cpp). Null,
// with the reason, when no X server could be started; the tests then skip.
GtkPlatform* SharedPlatform();
const std::string& SharedPlatformError();

// Starts a helper program (found on PATH) on the test display: its pid, or -1 when it cannot run.
inline pid_t Spawn(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Ends a helper started by Spawn, if it runs.
inline void Terminate(pid_t& pid) {
  if (pid > 0) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

inline unsigned long XWindowOf(NativeWindow& window) { return static_cast<GtkNativeWindow&>(window).XWindowId(); }

class GtkDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_ = SharedPlatform();
    if (platform_ == nullptr) GTEST_SKIP() << "No X server for the GTK tests: " << SharedPlatformError();
    display_ = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
  }

  // Runs the loop until `done` holds; gives up after a generous number of rounds (a failure then
  // shows as the assertion on the result, never as a hang).
  bool RunUntil(const std::function<bool()>& done, int rounds = 1000) {
    for (int i = 0; i < rounds; ++i) {
      if (done()) return true;
      XSync(display_, False);
      platform_->Loop().ProcessEventsFor(10);
    }
    return done();
  }

  // The screen pixel as 0xRRGGBB.
  uint32_t ScreenPixel(int x, int y) {
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xFFFFFFFF;
    const uint32_t pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  void MovePointer(int x, int y) {
    XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
    XSync(display_, False);
  }

  void Click(int x, int y, unsigned button = 1) {
    MovePointer(x, y);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
  }

  GtkPlatform* platform_ = nullptr;
  Display* display_ = nullptr;
};

}  // namespace kpf::platform::gtk::testing
