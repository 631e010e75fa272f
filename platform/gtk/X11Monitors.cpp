#include "platform/gtk/X11Monitors.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <gdk/gdkx.h>

#include "platform/gtk/X11Desktop.hpp"
#include "platform/gtk/X11ErrorTrap.hpp"

namespace kpf::platform::gtk {

namespace {

// A layout older than this is read again: a dock that changes its struts without a window
// manager to update _NET_WORKAREA tells nobody.
constexpr int64_t kMaxLayoutAgeUs = 5'000'000;

GdkFilterReturn FilterEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  static_cast<X11Monitors*>(self)->NoteEvent(static_cast<XEvent*>(static_cast<void*>(xevent))->type, xevent);
  return GDK_FILTER_CONTINUE;
}

}  // namespace

X11Monitors::X11Monitors(Display* display, const X11Desktop& desktop)
    : display_(display),
      desktop_(desktop),
      workAreaAtom_(XInternAtom(display, "_NET_WORKAREA", False)),
      clientListAtom_(XInternAtom(display, "_NET_CLIENT_LIST_STACKING", False)) {
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (XRRQueryExtension(display_, &eventBase_, &errorBase) == 0 || XRRQueryVersion(display_, &major, &minor) == 0 ||
      major < 1 || (major == 1 && minor < 5)) {
    eventBase_ = -1;
    return;
  }
  // GDK asks for some of these on the root itself; the mask is per client, so it is asked for whole.
  XRRSelectInput(display_, DefaultRootWindow(display_),
                 RRScreenChangeNotifyMask | RRCrtcChangeNotifyMask | RROutputChangeNotifyMask |
                     RROutputPropertyNotifyMask);
  gdk_window_add_filter(nullptr, &FilterEvent, this);
}

X11Monitors::~X11Monitors() {
  if (eventBase_ >= 0) gdk_window_remove_filter(nullptr, &FilterEvent, this);
  if (idleSource_ != 0) g_source_remove(idleSource_);
}

bool X11Monitors::IsChange(const XEvent& event) const {
  if (event.type == eventBase_ + RRScreenChangeNotify || event.type == eventBase_ + RRNotify) return true;
  const Window root = DefaultRootWindow(display_);
  // A monitor defined by hand is told as a configure event of the root.
  if (event.type == ConfigureNotify) return event.xconfigure.window == root;
  // Docks coming, going or changing their struts (window managers update the work area then);
  // the whole screen as the one monitor reads its work area on each question anyway.
  if (event.type != PropertyNotify || event.xproperty.window != root) return false;
  if (layout_->monitors.size() <= 1 && wholeScreenIsMonitor_) return false;
  return event.xproperty.atom == workAreaAtom_ || event.xproperty.atom == clientListAtom_;
}

void X11Monitors::NoteEvent(int type, void* xevent) {
  if (eventBase_ < 0 || !layout_ || !IsChange(*static_cast<const XEvent*>(xevent))) return;
  if (type == eventBase_ + RRScreenChangeNotify) XRRUpdateConfiguration(static_cast<XEvent*>(xevent));
  readAtUs_ = 0;
  layoutStale_ = true;
  // Read again from the loop, not inside GDK's event dispatch.
  if (idleSource_ != 0) return;
  idleSource_ = g_idle_add(
      [](gpointer data) -> gboolean {
        auto* owner = static_cast<X11Monitors*>(data);
        owner->idleSource_ = 0;
        owner->Changed();
        return G_SOURCE_REMOVE;
      },
      this);
}

void X11Monitors::Changed() {
  const std::optional<MonitorLayout> before = reported_;
  Layout();
  reported_ = layout_;
  if (before != reported_ && onChanged_) onChanged_();
}

MonitorLayout X11Monitors::Layout() {
  const int64_t now = g_get_monotonic_time();
  if (!layout_ || layoutStale_ || now - readAtUs_ >= kMaxLayoutAgeUs || now < readAtUs_) {
    layout_ = Read();
    readAtUs_ = now;
    layoutStale_ = false;
    if (!reported_) reported_ = layout_;
  }
  if (layout_->monitors.size() == 1 && !wholeScreenIsMonitor_) return *layout_;
  if (layout_->monitors.size() == 1) {
    // The screen is the monitor: its size and work area are read as they are now, as the
    // window manager's _NET_WORKAREA follows its docks.
    return SingleMonitor(desktop_.ScreenRect(), desktop_.WorkArea());
  }
  return WithChosenPrimary(*layout_, chosen_);
}

MonitorLayout X11Monitors::Read() {
  const Rect screen = desktop_.ScreenRect();
  MonitorLayout layout;
  if (eventBase_ >= 0) {
    X11ErrorTrap trap(display_);
    int count = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(display_, DefaultRootWindow(display_), True, &count);
    std::optional<size_t> primary;
    std::optional<size_t> atOrigin;
    for (int i = 0; monitors != nullptr && i < count; ++i) {
      const XRRMonitorInfo& info = monitors[i];
      if (info.width <= 0 || info.height <= 0) continue;
      const Rect rect{info.x, info.y, info.x + info.width, info.y + info.height};
      if (info.primary != 0 && !primary) primary = layout.monitors.size();
      if (info.x == 0 && info.y == 0 && !atOrigin) atOrigin = layout.monitors.size();
      layout.monitors.push_back(Monitor{rect, rect});
    }
    if (monitors != nullptr) XRRFreeMonitors(monitors);
    layout.primary = primary.value_or(atOrigin.value_or(0));
  }
  if (layout.monitors.size() <= 1) {
    // One monitor: the window manager's work area is right for it.
    const Rect only = layout.monitors.empty() ? screen : layout.monitors.front().rect;
    wholeScreenIsMonitor_ = only == screen;
    return SingleMonitor(only, Intersection(only, desktop_.WorkArea()));
  }
  const std::vector<DockStrut> struts = desktop_.Struts();
  for (Monitor& monitor : layout.monitors) monitor.workArea = StrutWorkArea(monitor.rect, screen, struts);
  return layout;
}

}  // namespace kpf::platform::gtk
