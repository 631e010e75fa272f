#pragma once
// Requests made while an X11ErrorTrap lives cannot end the process with an X error (GDK's default
// handler would): windows of other programs may vanish while we read or draw them.
#include <gdk/gdkx.h>

#include <utility>

namespace kpf::platform::gtk {

class X11ErrorTrap {
 public:
  explicit X11ErrorTrap(Display* display) : display_(gdk_x11_lookup_xdisplay(display)) {
    if (display_ != nullptr) gdk_x11_display_error_trap_push(display_);
  }
  ~X11ErrorTrap() {
    if (display_ != nullptr) gdk_x11_display_error_trap_pop_ignored(display_);
  }
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the server's answer and ends the trap; true when no request failed.
  bool End() {
    GdkDisplay* display = std::exchange(display_, nullptr);
    return display == nullptr || gdk_x11_display_error_trap_pop(display) == 0;
  }

 private:
  GdkDisplay* display_;
};

}  // namespace kpf::platform::gtk
