#include "platform/gtk/X11ChangeWatch.hpp"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>

#include "platform/gtk/X11ErrorTrap.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr long kFollowMask = PropertyChangeMask | StructureNotifyMask;

GdkFilterReturn FilterEvent(GdkXEvent* xevent, GdkEvent*, gpointer watch) {
  static_cast<X11ChangeWatch*>(watch)->Note(*static_cast<const XEvent*>(static_cast<void*>(xevent)));
  return GDK_FILTER_CONTINUE;
}

// Sees every event in the queue and takes none of them.
Bool NoteAndKeep(Display*, XEvent* event, XPointer watch) {
  reinterpret_cast<X11ChangeWatch*>(watch)->NoteQueued(*event);
  return False;
}

long SelectedMask(Display* display, unsigned long window) {
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, window, &attributes) == 0) return -1;
  return attributes.your_event_mask;
}

}  // namespace

X11ChangeWatch::X11ChangeWatch(Display* display) : display_(display), root_(DefaultRootWindow(display)) {
  // The mask is per client: ours is added to what GDK selects on the root.
  const long mask = SelectedMask(display_, root_);
  XSelectInput(display_, root_, std::max(mask, 0L) | PropertyChangeMask);
  gdk_window_add_filter(nullptr, &FilterEvent, this);
}

X11ChangeWatch::~X11ChangeWatch() {
  gdk_window_remove_filter(nullptr, &FilterEvent, this);
  StopFollowing();
}

void X11ChangeWatch::CatchUp() {
  // Only events already read from the connection (a read of our own would cost a system call on
  // every question); the loop dispatches the others before long.
  if (XQLength(display_) == 0) return;
  XEvent event{};
  scanSerial_ = queuedSerial_;
  XCheckIfEvent(display_, &event, &NoteAndKeep, reinterpret_cast<XPointer>(this));
  queuedSerial_ = scanSerial_;
}

void X11ChangeWatch::NoteQueued(const XEvent& event) {
  // Events a look before has noted stay in the queue until GDK dispatches them; noting them on
  // every look would drop what was read again since. (An event that came later with the same
  // serial as the last one noted waits for the filter.)
  if (event.xany.serial <= queuedSerial_) return;
  scanSerial_ = std::max(scanSerial_, event.xany.serial);
  Note(event);
}

const std::vector<unsigned long>* X11ChangeWatch::RootProperty(Atom atom) const {
  const auto found = std::ranges::find(rootProperties_, atom, &Kept::atom);
  return found != rootProperties_.end() ? &found->items : nullptr;
}

void X11ChangeWatch::StoreRootProperty(Atom atom, std::vector<unsigned long> items) {
  const auto found = std::ranges::find(rootProperties_, atom, &Kept::atom);
  if (found != rootProperties_.end()) {
    found->items = std::move(items);
  } else {
    rootProperties_.push_back(Kept{atom, std::move(items)});
  }
}

void X11ChangeWatch::Follow(Window window) {
  followedChanged_ = false;
  if (window == followed_) return;
  StopFollowing();
  followed_ = window;
  GdkDisplay* display = gdk_x11_lookup_xdisplay(display_);
  if (window == 0 || window == root_ || (display != nullptr && gdk_x11_window_lookup_for_display(display, window))) {
    return;  // GDK already hears of its own windows' changes
  }
  X11ErrorTrap trap(display_);
  const long mask = SelectedMask(display_, window);
  if (mask < 0) return;
  addedMask_ = kFollowMask & ~mask;
  if (addedMask_ != 0) XSelectInput(display_, window, mask | addedMask_);
}

void X11ChangeWatch::StopFollowing() {
  if (followed_ != 0 && addedMask_ != 0) {
    // The window may have gone; other parts of this program may have added bits since.
    X11ErrorTrap trap(display_);
    const long mask = SelectedMask(display_, followed_);
    if (mask >= 0) XSelectInput(display_, followed_, mask & ~addedMask_);
  }
  followed_ = 0;
  addedMask_ = 0;
}

void X11ChangeWatch::Note(const XEvent& event) {
  if (event.type == PropertyNotify && event.xproperty.window == root_) {
    std::erase_if(rootProperties_, [&](const Kept& kept) { return kept.atom == event.xproperty.atom; });
    return;
  }
  if (followed_ == 0) return;
  switch (event.type) {
    case PropertyNotify:
      if (event.xproperty.window == followed_) followedChanged_ = true;
      break;
    case ConfigureNotify:
    case MapNotify:
    case UnmapNotify:
    case DestroyNotify:
    case ReparentNotify:
      // These structure events name the window they are about in the same member.
      if (event.xconfigure.window == followed_) followedChanged_ = true;
      break;
    default:
      break;
  }
}

}  // namespace kpf::platform::gtk
