#pragma once
// The application's windows as one: on Linux there is no application window to minimise, so
// minimising iconifies every shown top-level window of the process and restoring brings them all
// back. When the window manager iconifies one character window (or one comes back), the others
// follow, so the application is always minimised or restored as a whole. Every change is
// reported once, from the event loop.
#include <functional>

#include "platform/EventLoop.hpp"

namespace kpf::platform::gtk {

class GtkApplicationWindows {
 public:
  explicit GtkApplicationWindows(EventLoop& loop) : loop_(loop) {}

  // The application's request (an action, a system variable).
  void SetMinimised(bool minimised);
  bool Minimised() const { return minimised_; }
  // A character window was iconified or shown again (by the window manager or by us).
  void WindowIconified(bool iconified);
  void SetOnChanged(std::function<void(bool minimised)> handler) { onChanged_ = std::move(handler); }

 private:
  // Iconifies or de-iconifies every shown top-level window.
  static void ApplyToWindows(bool minimised);
  void Report(bool minimised);

  EventLoop& loop_;
  bool minimised_ = false;
  std::function<void(bool)> onChanged_;
};

}  // namespace kpf::platform::gtk
