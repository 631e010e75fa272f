#pragma once
// The monitors of the X screen, read with RandR (its monitor list, which `xrandr --setmonitor`
// also defines) and followed as they come, go and change. The layout is kept between reads:
// RandR's change events, the root's configure events (monitors defined by hand), changes of the
// work area or client list (docks, with several monitors) and an age bound of a few seconds make
// it read again. Without RandR (or with one
// monitor) the screen is the one monitor.
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/MonitorLayout.hpp"

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace kpf::platform::gtk {

class X11Desktop;

class X11Monitors {
 public:
  // `display` belongs to GDK; `desktop` reads the work areas. Both outlive this object.
  X11Monitors(Display* display, const X11Desktop& desktop);
  ~X11Monitors();
  X11Monitors(const X11Monitors&) = delete;
  X11Monitors& operator=(const X11Monitors&) = delete;

  // Every monitor with its work area; the primary is the chosen one while it exists, else
  // RandR's primary, else the one at 0,0, else the first.
  MonitorLayout Layout();
  void Choose(std::optional<int> index) { chosen_ = index; }
  // Called from the loop after a RandR event changed the layout.
  void SetOnChanged(std::function<void()> handler) { onChanged_ = std::move(handler); }
  // An X event of type `type` came (the GDK event filter tells every one).
  void NoteEvent(int type, void* xevent);

 private:
  MonitorLayout Read();
  bool IsChange(const XEvent& event) const;
  // RandR told of a change: read again, and tell when the layout differs.
  void Changed();

  Display* display_;
  const X11Desktop& desktop_;
  // The root properties whose change means the docks changed (with several monitors).
  unsigned long workAreaAtom_;
  unsigned long clientListAtom_;
  int eventBase_ = -1;  // RandR's first event code; -1: no RandR
  std::optional<MonitorLayout> layout_;
  // The layout the change handler last knew of.
  std::optional<MonitorLayout> reported_;
  int64_t readAtUs_ = 0;
  bool layoutStale_ = false;
  // The one monitor is the whole screen (the usual case), so it is read afresh each time.
  bool wholeScreenIsMonitor_ = true;
  std::optional<int> chosen_;
  std::function<void()> onChanged_;
  unsigned idleSource_ = 0;
};

}  // namespace kpf::platform::gtk
