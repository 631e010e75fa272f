#include "platform/gtk/X11Desktop.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <string_view>

#include "platform/MonitorLayout.hpp"
#include "platform/gtk/X11ErrorTrap.hpp"

namespace kpf::platform::gtk {

namespace {

// Windows may vanish while we read them; the X errors that causes are expected and ignored.
using ErrorTrap = X11ErrorTrap;

constexpr long kMaxPropertyLongs = 65536;
constexpr long kIconicState = 3;  // ICCCM WM_STATE value of an iconified window

// Kept answers are read again after this long even without a change event: another part of the
// program could have replaced this connection's event mask on the root, and without a window
// manager focus changes come with no event we hear of.
constexpr int64_t kMaxKeptUs = 5'000'000;

bool Older(int64_t readAtUs, int64_t now, int64_t maxAgeUs) { return now < readAtUs || now - readAtUs >= maxAgeUs; }

}  // namespace

X11Desktop::X11Desktop(Display* display)
    : display_(display), root_(DefaultRootWindow(display)), watch_(std::make_unique<X11ChangeWatch>(display)) {}

X11Desktop::~X11Desktop() = default;

X11Desktop::Atom X11Desktop::Intern(const char* name) const {
  // Only atoms that exist: a property nobody ever named cannot be set on any window.
  return XInternAtom(display_, name, True);
}

std::vector<unsigned long> X11Desktop::CardinalList(Window window, const char* property, Atom type) const {
  const Atom atom = Intern(property);
  if (atom == None) return {};
  return CardinalList(window, atom, type);
}

std::vector<unsigned long> X11Desktop::CardinalList(Window window, Atom atom, Atom type) const {
  std::vector<unsigned long> values;
  ErrorTrap trap(display_);
  Atom actualType = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, window, atom, 0, kMaxPropertyLongs, False, type, &actualType,
                                        &format, &count, &remaining, &data);
  if (status == Success && data != nullptr && actualType == type && format == 32) {
    // Format-32 items come as C longs whatever the server's word size.
    const auto* items = reinterpret_cast<const unsigned long*>(data);
    values.assign(items, items + count);
  }
  if (data != nullptr) XFree(data);
  return values;
}

std::vector<unsigned long> X11Desktop::RootList(const char* property, Atom type) const {
  const int64_t now = g_get_monotonic_time();
  if (Older(rootReadAtUs_, now, kMaxKeptUs)) {
    watch_->ForgetRootProperties();
    rootReadAtUs_ = now;
  }
  const Atom atom = RootAtom(property);
  if (const std::vector<unsigned long>* kept = watch_->RootProperty(atom)) return *kept;
  std::vector<unsigned long> items = CardinalList(root_, atom, type);
  watch_->StoreRootProperty(atom, items);
  return items;
}

X11Desktop::Atom X11Desktop::RootAtom(const char* property) const {
  // Interned once, and created if need be, so that a property that appears later is kept too.
  const auto found = std::ranges::find(rootAtoms_, std::string_view(property), &NamedAtom::name);
  if (found != rootAtoms_.end()) return found->atom;
  const Atom atom = XInternAtom(display_, property, False);
  rootAtoms_.push_back(NamedAtom{property, atom});
  return atom;
}

Rect X11Desktop::ScreenRect() const {
  const int screen = DefaultScreen(display_);
  return Rect{0, 0, DisplayWidth(display_, screen), DisplayHeight(display_, screen)};
}

Rect X11Desktop::WorkArea() const {
  watch_->CatchUp();
  const auto area = RootList("_NET_WORKAREA", XA_CARDINAL);
  const auto current = RootList("_NET_CURRENT_DESKTOP", XA_CARDINAL);
  size_t desktop = current.empty() ? 0 : current.front();
  if ((desktop + 1) * 4 > area.size()) desktop = 0;
  if (area.size() < 4) return ScreenRect();
  const auto at = [&](size_t i) { return static_cast<int>(static_cast<long>(area[desktop * 4 + i])); };
  return Rect{at(0), at(1), at(0) + at(2), at(1) + at(3)};
}

Point X11Desktop::Pointer() const {
  Window rootReturn = 0;
  Window child = 0;
  int rootX = 0;
  int rootY = 0;
  int winX = 0;
  int winY = 0;
  unsigned int mask = 0;
  XQueryPointer(display_, root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY, &mask);
  return Point{rootX, rootY};
}

std::vector<X11Desktop::Window> X11Desktop::StackBottomUp() const {
  std::vector<Window> stack;
  for (const unsigned long id : RootList("_NET_CLIENT_LIST_STACKING", XA_WINDOW)) stack.push_back(id);
  if (!stack.empty()) return stack;
  // No window manager: the root's children are the top-level windows, already bottom-up.
  ErrorTrap trap(display_);
  Window rootReturn = 0;
  Window parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display_, root_, &rootReturn, &parent, &children, &count) == 0) return stack;
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, children[i], &attributes) == 0) continue;
    // Menus, tooltips and input-only helpers are not windows the user works with.
    if (attributes.override_redirect || attributes.c_class != InputOutput) continue;
    stack.push_back(children[i]);
  }
  if (children != nullptr) XFree(children);
  return stack;
}

std::optional<X11Desktop::Window> X11Desktop::ActiveWindow() const {
  const auto active = RootList("_NET_ACTIVE_WINDOW", XA_WINDOW);
  if (!active.empty() && active.front() != None) return active.front();
  return FocusedTopLevel();
}

std::optional<X11Desktop::Window> X11Desktop::FocusedTopLevel() const {
  ErrorTrap trap(display_);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  while (focus != None && focus != PointerRoot && focus != root_) {
    Window rootReturn = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display_, focus, &rootReturn, &parent, &children, &count) == 0) return std::nullopt;
    if (children != nullptr) XFree(children);
    if (parent == root_) return focus;
    focus = parent;
  }
  return std::nullopt;
}

std::vector<DesktopWindow> X11Desktop::WindowsFromForeground() const {
  watch_->CatchUp();
  std::vector<Window> stack = StackBottomUp();
  std::reverse(stack.begin(), stack.end());
  auto first = stack.begin();
  const std::optional<Window> active = ActiveWindow();
  if (active) {
    const auto found = std::find(stack.begin(), stack.end(), *active);
    if (found != stack.end()) first = found;
    // The active window belongs to another client and may have gone: then there is no active
    // window (rather than the one below it).
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, *active, &attributes) == 0) return {};
  }
  std::vector<DesktopWindow> windows;
  for (auto it = first; it != stack.end(); ++it) windows.push_back(Describe(*it));
  if (active && !windows.empty() && windows.front().id == *active) windows.front().active = true;
  return windows;
}

std::optional<DesktopWindow> X11Desktop::ForegroundWindow() const {
  // Asked on every housekeeping tick: answered again only when the active window, its state or
  // its place changed.
  watch_->CatchUp();
  const auto managed = RootList("_NET_ACTIVE_WINDOW", XA_WINDOW);
  const Window managedActive = managed.empty() ? None : managed.front();
  const int64_t now = g_get_monotonic_time();
  if (foreground_ && foreground_->managedActive == managedActive && !watch_->FollowedChanged() &&
      !Older(foreground_->readAtUs, now, kMaxKeptUs)) {
    return foreground_->window;
  }
  const std::optional<Window> active = managedActive != None ? managedActive : FocusedTopLevel();
  // Followed before it is read, so that no change between the two goes unnoticed.
  watch_->Follow(active.value_or(0));
  foreground_ = Foreground{managedActive, now, active ? DescribeForeground(*active) : std::nullopt};
  return foreground_->window;
}

std::optional<DesktopWindow> X11Desktop::DescribeForeground(Window window) const {
  // Only what the full-screen rule reads (no title).
  DesktopWindow described;
  described.id = window;
  described.active = true;
  {
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window, &attributes) == 0) return std::nullopt;
    described.visible = attributes.map_state == IsViewable;
    described.rect = RootRect(window, attributes.width, attributes.height).value_or(Rect{});
  }
  described.fullScreen = HasAtom(window, "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN");
  return described;
}

std::optional<Rect> X11Desktop::TaskbarRect(const Rect& monitor) const {
  watch_->CatchUp();
  for (const Window window : StackBottomUp()) {
    if (!HasAtom(window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DOCK")) continue;
    const std::optional<Rect> rect = RootRect(window);
    if (rect && Area(Intersection(*rect, monitor)) > 0) return rect;
  }
  return std::nullopt;
}

std::vector<DockStrut> X11Desktop::Struts() const {
  watch_->CatchUp();
  std::vector<DockStrut> struts;
  const Rect screen = ScreenRect();
  for (const Window window : StackBottomUp()) {
    const auto partial = CardinalList(window, "_NET_WM_STRUT_PARTIAL", XA_CARDINAL);
    const auto at = [&partial](size_t i) { return static_cast<int>(std::min<unsigned long>(partial[i], 32767)); };
    if (partial.size() >= 12) {
      struts.push_back(DockStrut{at(0), at(1), at(2), at(3), at(4), at(5), at(6), at(7), at(8), at(9), at(10), at(11)});
      continue;
    }
    const auto full = CardinalList(window, "_NET_WM_STRUT", XA_CARDINAL);
    const auto edge = [&full](size_t i) { return static_cast<int>(std::min<unsigned long>(full[i], 32767)); };
    if (full.size() >= 4) struts.push_back(FullLengthStrut(edge(0), edge(1), edge(2), edge(3), screen));
  }
  return struts;
}

bool X11Desktop::HasAtom(Window window, const char* property, const char* value) const {
  return ListHasAtom(CardinalList(window, property, XA_ATOM), value);
}

bool X11Desktop::ListHasAtom(const std::vector<unsigned long>& atoms, const char* value) const {
  const Atom wanted = Intern(value);
  return wanted != None && std::find(atoms.begin(), atoms.end(), wanted) != atoms.end();
}

std::string X11Desktop::Title(Window window) const {
  const Atom netName = Intern("_NET_WM_NAME");
  const Atom utf8 = Intern("UTF8_STRING");
  std::string title;
  ErrorTrap trap(display_);
  if (netName != None && utf8 != None) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, netName, 0, kMaxPropertyLongs, False, utf8, &actualType, &format,
                           &count, &remaining, &data) == Success &&
        data != nullptr && actualType == utf8 && format == 8) {
      title.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data != nullptr) XFree(data);
    if (!title.empty()) return title;
  }
  // The ICCCM name, bytes as stored.
  XTextProperty name{};
  if (XGetWMName(display_, window, &name) != 0 && name.value != nullptr) {
    if (name.format == 8) title.assign(reinterpret_cast<const char*>(name.value), name.nitems);
    XFree(name.value);
  }
  return title;
}

std::optional<Rect> X11Desktop::RootRect(Window window) const {
  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return std::nullopt;
  return RootRect(window, attributes.width, attributes.height);
}

std::optional<Rect> X11Desktop::RootRect(Window window, int width, int height) const {
  ErrorTrap trap(display_);
  int x = 0;
  int y = 0;
  Window child = 0;
  if (XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child) == 0) return std::nullopt;
  Rect rect{x, y, x + width, y + height};
  const auto frame = CardinalList(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);  // left, right, top, bottom
  if (frame.size() == 4) {
    rect.left -= static_cast<int>(frame[0]);
    rect.right += static_cast<int>(frame[1]);
    rect.top -= static_cast<int>(frame[2]);
    rect.bottom += static_cast<int>(frame[3]);
  }
  return rect;
}

DesktopWindow X11Desktop::Describe(Window window) const {
  DesktopWindow described;
  described.id = window;
  described.title = Title(window);
  // Every window is described on each housekeeping tick: each property and the attributes are
  // fetched from the server once.
  const auto wmState = CardinalList(window, "WM_STATE", Intern("WM_STATE"));
  const auto netState = CardinalList(window, "_NET_WM_STATE", XA_ATOM);
  const bool minimised = ListHasAtom(netState, "_NET_WM_STATE_HIDDEN") ||
                         (!wmState.empty() && static_cast<long>(wmState.front()) == kIconicState);
  const bool maximised = ListHasAtom(netState, "_NET_WM_STATE_MAXIMIZED_VERT") &&
                         ListHasAtom(netState, "_NET_WM_STATE_MAXIMIZED_HORZ");
  described.showState = minimised ? ShowState::Minimised : maximised ? ShowState::Maximised : ShowState::Normal;
  described.fullScreen = ListHasAtom(netState, "_NET_WM_STATE_FULLSCREEN");
  ErrorTrap trap(display_);
  XWindowAttributes attributes{};
  const bool known = XGetWindowAttributes(display_, window, &attributes) != 0;
  // An iconified window still counts as shown, as a minimised window does elsewhere.
  described.visible = (known && attributes.map_state == IsViewable) || minimised;
  if (known) described.rect = RootRect(window, attributes.width, attributes.height).value_or(Rect{});
  return described;
}

}  // namespace kpf::platform::gtk
