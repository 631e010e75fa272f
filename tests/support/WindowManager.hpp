#pragma once
// An EWMH window manager (openbox) on a test display, for tests that need stacking, window states
// and activation as a desktop gives them. Start returns once the manager has taken the display
// (its _NET_SUPPORTING_WM_CHECK window exists); the wait for that is bounded, never a timed
// assertion.
#include <sys/types.h>

#include <string>

namespace kpf::support {

class WindowManager {
 public:
  WindowManager() = default;
  ~WindowManager() { Stop(); }
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;

  // Runs openbox on `display` (":N"); false with the reason in `error` when it is not installed
  // or does not take the display.
  bool Start(const std::string& display, std::string& error);
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace kpf::support
