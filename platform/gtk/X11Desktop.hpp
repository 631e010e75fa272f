#pragma once
// Desktop queries answered from the X server: screen and work area, pointer, the stack of
// top-level windows with their titles, states and rectangles, and the panel (dock) window.
// Window-manager information comes from the EWMH root properties; without a window manager the
// root window's children stand in for the client list.
// Root properties and the active window's description are kept between questions and read again
// when the server reports a change (X11ChangeWatch), so the per-tick questions cost no round trip.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/StrutWorkArea.hpp"
#include "platform/gtk/X11ChangeWatch.hpp"
#include "platform/Types.hpp"

typedef struct _XDisplay Display;

namespace kpf::platform::gtk {

class X11Desktop {
 public:
  // `display` belongs to GDK and is only used on the GTK thread.
  explicit X11Desktop(Display* display);
  ~X11Desktop();
  X11Desktop(const X11Desktop&) = delete;
  X11Desktop& operator=(const X11Desktop&) = delete;

  Rect ScreenRect() const;
  // _NET_WORKAREA of the current desktop; the screen when the window manager gives none.
  Rect WorkArea() const;
  Point Pointer() const;
  // From the active window down in stacking order (all windows from the top when none is active).
  std::vector<DesktopWindow> WindowsFromForeground() const;
  // The active window (_NET_ACTIVE_WINDOW, else the focus): its rectangle, visibility and
  // full-screen state (not its title or show state, to keep the frequent question cheap).
  std::optional<DesktopWindow> ForegroundWindow() const;
  // The first window of type _NET_WM_WINDOW_TYPE_DOCK that lies on `monitor`.
  std::optional<Rect> TaskbarRect(const Rect& monitor) const;
  // The room the top-level windows keep free at the screen's edges (_NET_WM_STRUT_PARTIAL, or
  // the older _NET_WM_STRUT).
  std::vector<DockStrut> Struts() const;

 private:
  using Window = unsigned long;
  using Atom = unsigned long;

  Atom Intern(const char* name) const;
  // Top-level windows from the bottom up.
  std::vector<Window> StackBottomUp() const;
  std::optional<Window> ActiveWindow() const;
  std::vector<unsigned long> CardinalList(Window window, const char* property, Atom type) const;
  std::vector<unsigned long> CardinalList(Window window, Atom property, Atom type) const;
  // A root property, kept until the server reports its change (or it is a few seconds old).
  // (Read and kept under each property's own type.)
  std::vector<unsigned long> RootList(const char* property, Atom type) const;
  Atom RootAtom(const char* property) const;
  // The top-level window holding the keyboard focus (used without a window manager).
  std::optional<Window> FocusedTopLevel() const;
  std::optional<DesktopWindow> DescribeForeground(Window window) const;
  std::string Title(Window window) const;
  DesktopWindow Describe(Window window) const;
  // The window's rectangle on the root, widened by the frame the window manager draws around it.
  std::optional<Rect> RootRect(Window window) const;
  // The same for a window whose size is already known.
  std::optional<Rect> RootRect(Window window, int width, int height) const;
  bool HasAtom(Window window, const char* property, const char* value) const;
  // Whether an atom list read with CardinalList holds the atom named `value`.
  bool ListHasAtom(const std::vector<unsigned long>& atoms, const char* value) const;

  // The last foreground answer, and the _NET_ACTIVE_WINDOW value it was made for.
  struct Foreground {
    Window managedActive;
    int64_t readAtUs;
    std::optional<DesktopWindow> window;
  };

  Display* display_;
  Window root_;
  std::unique_ptr<X11ChangeWatch> watch_;
  struct NamedAtom {
    std::string_view name;
    Atom atom;
  };
  mutable std::vector<NamedAtom> rootAtoms_;
  mutable int64_t rootReadAtUs_ = 0;
  mutable std::optional<Foreground> foreground_;
};

}  // namespace kpf::platform::gtk
