#include "platform/gtk/X11ForeignWindow.hpp"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <limits>
#include <optional>

#include "platform/gtk/X11ErrorTrap.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr uint32_t kPollMs = 50;

std::optional<XWindowAttributes> Attributes(Display* display, unsigned long id) {
  X11ErrorTrap trap(display);
  XWindowAttributes attributes{};
  const Status status = XGetWindowAttributes(display, id, &attributes);
  if (!trap.End() || status == 0) return std::nullopt;
  return attributes;
}

// The channel value (0..255) that `mask` selects from an X pixel.
uint32_t Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const unsigned long maximum = mask >> shift;
  return static_cast<uint32_t>(((pixel & mask) >> shift) * 255 / maximum);
}

GdkFilterReturn Filter(GdkXEvent* xevent, GdkEvent*, gpointer window) {
  static_cast<X11ForeignWindow*>(window)->Handle(*static_cast<const XEvent*>(xevent));
  return GDK_FILTER_CONTINUE;
}

}  // namespace

std::unique_ptr<X11ForeignWindow> X11ForeignWindow::Open(Display* display, platform::EventLoop& loop, uint64_t id,
                                                         int waitMs) {
  if (display == nullptr || id == 0 || id > std::numeric_limits<uint32_t>::max()) return nullptr;
  const int64_t deadline = loop.NowMs() + waitMs;
  for (;;) {
    const std::optional<XWindowAttributes> attributes = Attributes(display, static_cast<unsigned long>(id));
    if (!attributes) return nullptr;
    if (attributes->map_state == IsViewable) break;
    if (loop.NowMs() >= deadline || loop.Terminating()) return nullptr;
    loop.ProcessEventsFor(kPollMs);
  }
  std::unique_ptr<X11ForeignWindow> window(new X11ForeignWindow(display, static_cast<unsigned long>(id)));
  if (!window->Describe()) return nullptr;
  window->Watch();
  return window;
}

X11ForeignWindow::X11ForeignWindow(Display* display, unsigned long id) : display_(display), id_(id) {}

X11ForeignWindow::~X11ForeignWindow() {
  gdk_window_remove_filter(nullptr, &Filter, this);
  X11ErrorTrap trap(display_);
  if (target_ != nullptr) cairo_surface_destroy(target_);
  if (!gone_) {
    // GDK's own event mask on the window (the root's, when that is the host) stays as it was.
    if (const std::optional<XWindowAttributes> attributes = Attributes(display_, id_)) {
      XSelectInput(display_, id_, attributes->your_event_mask & ~(StructureNotifyMask | ExposureMask));
    }
  }
  trap.End();
}

bool X11ForeignWindow::Describe() {
  const std::optional<XWindowAttributes> attributes = Attributes(display_, id_);
  if (!attributes) {
    gone_ = true;
    return false;
  }
  width_ = attributes->width;
  height_ = attributes->height;
  root_ = attributes->root;
  visual_ = attributes->visual;
  X11ErrorTrap trap(display_);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display_, id_, root_, 0, 0, &x, &y, &child);
  if (!trap.End()) {
    gone_ = true;
    return false;
  }
  origin_ = {x, y};
  return true;
}

void X11ForeignWindow::Watch() {
  const std::optional<XWindowAttributes> attributes = Attributes(display_, id_);
  if (!attributes) {
    gone_ = true;
    return;
  }
  X11ErrorTrap trap(display_);
  // Our own mask is added to what this connection already selects there (GDK on the root).
  XSelectInput(display_, id_, attributes->your_event_mask | StructureNotifyMask | ExposureMask);
  if (!trap.End()) gone_ = true;
  gdk_window_add_filter(nullptr, &Filter, this);
}

void X11ForeignWindow::Handle(const XEvent& event) {
  if (event.xany.window != id_) return;
  switch (event.type) {
    case ConfigureNotify:
      if (event.xconfigure.width == width_ && event.xconfigure.height == height_) {
        Describe();
        return;
      }
      if (!Describe()) return;
      if (target_ != nullptr) cairo_xlib_surface_set_size(target_, width_, height_);
      if (OnResized) OnResized();
      return;
    case Expose: {
      const XExposeEvent& area = event.xexpose;
      if (OnExposed) OnExposed({area.x, area.y, area.x + area.width, area.y + area.height});
      return;
    }
    case DestroyNotify:
      gone_ = true;
      if (OnGone) OnGone();
      return;
    default: return;
  }
}

platform::Picture X11ForeignWindow::CopyScreenUnder() {
  platform::Picture picture;
  if (gone_ || width_ <= 0 || height_ <= 0) return picture;
  unsigned int rootWidth = 0, rootHeight = 0;
  {
    X11ErrorTrap trap(display_);
    Window rootOfRoot = 0;
    int rx = 0, ry = 0;
    unsigned int border = 0, depth = 0;
    const Status status = XGetGeometry(display_, root_, &rootOfRoot, &rx, &ry, &rootWidth, &rootHeight, &border, &depth);
    if (!trap.End() || status == 0) return picture;
  }
  const int left = std::max(origin_.x, 0), top = std::max(origin_.y, 0);
  const int right = std::min(origin_.x + width_, static_cast<int>(rootWidth));
  const int bottom = std::min(origin_.y + height_, static_cast<int>(rootHeight));
  if (right <= left || bottom <= top) return picture;
  X11ErrorTrap trap(display_);
  XImage* image = XGetImage(display_, root_, left, top, static_cast<unsigned>(right - left),
                            static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (!trap.End() || image == nullptr) {
    if (image != nullptr) XDestroyImage(image);
    return picture;
  }
  picture.width = width_;
  picture.height = height_;
  picture.pixels.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0xFF000000u);
  for (int y = top; y < bottom; ++y) {
    uint32_t* row = picture.pixels.data() + static_cast<size_t>(y - origin_.y) * static_cast<size_t>(width_);
    for (int x = left; x < right; ++x) {
      const unsigned long pixel = XGetPixel(image, x - left, y - top);
      row[x - origin_.x] = 0xFF000000u | Channel(pixel, image->red_mask) << 16 | Channel(pixel, image->green_mask) << 8 |
                           Channel(pixel, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return picture;
}

bool X11ForeignWindow::Paint(int x, int y, const platform::ImageView& image) {
  const size_t count = static_cast<size_t>(std::max(image.width, 0)) * static_cast<size_t>(std::max(image.height, 0));
  if (gone_) return false;
  if (count == 0 || image.pixels.size() < count) return true;
  X11ErrorTrap trap(display_);
  if (target_ == nullptr) {
    target_ = cairo_xlib_surface_create(display_, id_, static_cast<Visual*>(visual_), width_, height_);
  }
  // Read only: cairo takes a mutable pointer for surfaces it may also draw on.
  auto* data = reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.pixels.data()));
  cairo_surface_t* source = cairo_image_surface_create_for_data(data, CAIRO_FORMAT_RGB24, image.width, image.height,
                                                                image.width * 4);
  cairo_t* cr = cairo_create(target_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, source, x, y);
  cairo_rectangle(cr, x, y, image.width, image.height);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  cairo_surface_flush(target_);
  if (!trap.End()) gone_ = true;
  return !gone_;
}

}  // namespace kpf::platform::gtk
