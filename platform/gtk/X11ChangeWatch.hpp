#pragma once
// What the housekeeping tick asks of the X server on every tick (the work area, the active window
// and its state) changes rarely. This watch keeps root-window properties between reads and
// follows one other window, and drops what it keeps when the server reports a change, so that
// an idle character costs no round trip per tick.
//
// Changes reach it through GDK's event filter; CatchUp() also looks at events already read but
// not yet dispatched (as after an XSync of this connection), so a question asked right then sees
// the change.
#include <cstdint>
#include <optional>
#include <vector>

typedef struct _XDisplay Display;
typedef union _XEvent XEvent;

namespace kpf::platform::gtk {

class X11ChangeWatch {
 public:
  using Window = unsigned long;
  using Atom = unsigned long;

  // `display` belongs to GDK and is only used on the GTK thread.
  explicit X11ChangeWatch(Display* display);
  ~X11ChangeWatch();
  X11ChangeWatch(const X11ChangeWatch&) = delete;
  X11ChangeWatch& operator=(const X11ChangeWatch&) = delete;

  // Takes note of the change events this connection has already read but GDK not yet
  // dispatched (takes none of them away).
  void CatchUp();
  // A root property's items as last stored, unless the server has told of a change since.
  const std::vector<unsigned long>* RootProperty(Atom atom) const;
  void StoreRootProperty(Atom atom, std::vector<unsigned long> items);
  // Drops every kept root property (read again on the next question).
  void ForgetRootProperties() { rootProperties_.clear(); }

  // Follows `window` (0: none) instead of the window followed so far: its property, size,
  // position and mapping changes set FollowedChanged(). Windows of this program keep the event
  // mask GDK gave them.
  void Follow(Window window);
  Window Followed() const { return followed_; }
  bool FollowedChanged() const { return followedChanged_; }

  // An X event came through the event filter.
  void Note(const XEvent& event);
  // CatchUp found the event in the queue.
  void NoteQueued(const XEvent& event);

 private:
  struct Kept {
    Atom atom;
    std::vector<unsigned long> items;
  };
  void StopFollowing();

  Display* display_;
  Window root_;
  std::vector<Kept> rootProperties_;
  Window followed_ = 0;
  // The bits of the followed window's mask this watch added (the rest belonged to others).
  long addedMask_ = 0;
  bool followedChanged_ = false;
  // The newest serial CatchUp has noted, and the newest of the look under way.
  unsigned long queuedSerial_ = 0;
  unsigned long scanSerial_ = 0;
};

}  // namespace kpf::platform::gtk
