#include "platform/gtk/GtkNativeWindow.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "platform/gtk/AlphaShape.hpp"
#include "platform/gtk/GdkScale.hpp"
#include "platform/gtk/GtkCursorTable.hpp"
#include "platform/gtk/VirtualKeys.hpp"

namespace kpf::platform::gtk {

namespace {

// X rectangles carry 16-bit coordinates.
short ClampShort(int value) { return static_cast<short>(std::clamp(value, SHRT_MIN, SHRT_MAX)); }

std::vector<XRectangle> ToXRectangles(const std::vector<Rect>& rects) {
  std::vector<XRectangle> result;
  result.reserve(rects.size());
  for (const Rect& rect : rects) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) continue;
    const short left = ClampShort(rect.left);
    const short top = ClampShort(rect.top);
    const int width = std::min(ClampShort(rect.right) - left, int{USHRT_MAX});
    const int height = std::min(ClampShort(rect.bottom) - top, int{USHRT_MAX});
    if (width <= 0 || height <= 0) continue;
    result.push_back(XRectangle{left, top, static_cast<unsigned short>(width), static_cast<unsigned short>(height)});
  }
  return result;
}

std::optional<MouseButton> ButtonOf(guint button) {
  switch (button) {
    case 1: return MouseButton::Left;
    case 2: return MouseButton::Middle;
    case 3: return MouseButton::Right;
    default: return std::nullopt;
  }
}

GdkFilterReturn FilterWindowEvent(GdkXEvent* xevent, GdkEvent*, gpointer window) {
  return static_cast<GtkNativeWindow*>(window)->TakeServerEvent(xevent) ? GDK_FILTER_REMOVE : GDK_FILTER_CONTINUE;
}

}  // namespace

void GtkNativeWindow::SurfaceDeleter::operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }

GtkNativeWindow::GtkNativeWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_title(window, kCharacterWindowTitle);
  gtk_window_set_decorated(window, FALSE);
  gtk_window_set_skip_taskbar_hint(window, TRUE);
  gtk_window_set_skip_pager_hint(window, TRUE);
  gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_UTILITY);
  // Appearing must not take the keyboard from the window the user is typing in.
  gtk_window_set_focus_on_map(window, FALSE);
  gtk_widget_set_app_paintable(window_, TRUE);
  GdkScreen* screen = gtk_widget_get_screen(window_);
  if (gdk_screen_is_composited(screen)) {
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) {
      gtk_widget_set_visual(window_, visual);
      rgba_ = true;
    }
  }
  gtk_widget_add_events(window_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                     GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK);
  ConnectSignals();
  gtk_window_move(window, bounds_.left, bounds_.top);
  gtk_window_resize(window, bounds_.width(), bounds_.height());
  gtk_widget_realize(window_);
  GdkWindow* gdkWindow = gtk_widget_get_window(window_);
  display_ = GDK_WINDOW_XDISPLAY(gdkWindow);
  xid_ = GDK_WINDOW_XID(gdkWindow);
  gdkScale_ = std::max(gdk_window_get_scale_factor(gdkWindow), 1);
  gdk_window_add_filter(gdkWindow, &FilterWindowEvent, this);
}

GtkNativeWindow::~GtkNativeWindow() {
  gdk_window_remove_filter(gtk_widget_get_window(window_), &FilterWindowEvent, this);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_destroy(window_);
  if (handCursor_ != nullptr) g_object_unref(handCursor_);
}

void GtkNativeWindow::ConnectSignals() {
  g_signal_connect(window_, "draw", G_CALLBACK(&GtkNativeWindow::OnDraw), this);
  g_signal_connect(window_, "button-press-event", G_CALLBACK(&GtkNativeWindow::OnButtonPress), this);
  g_signal_connect(window_, "button-release-event", G_CALLBACK(&GtkNativeWindow::OnButtonRelease), this);
  g_signal_connect(window_, "motion-notify-event", G_CALLBACK(&GtkNativeWindow::OnMotion), this);
  g_signal_connect(window_, "key-press-event", G_CALLBACK(&GtkNativeWindow::OnKey), this);
  g_signal_connect(window_, "key-release-event", G_CALLBACK(&GtkNativeWindow::OnKey), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkNativeWindow::OnDelete), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(&GtkNativeWindow::OnWindowState), this);
}

void GtkNativeWindow::SetTitle(const std::string& title) { gtk_window_set_title(GTK_WINDOW(window_), title.c_str()); }

void GtkNativeWindow::MoveResize(int x, int y, int width, int height) {
  // X windows are at least one pixel wide and high; positions and sizes travel in 16 bits.
  x = ClampToWindowSystem(x);
  y = ClampToWindowSystem(y);
  width = std::clamp(width, 1, kMaxWindowCoordinate);
  height = std::clamp(height, 1, kMaxWindowCoordinate);
  const Rect bounds{x, y, x + width, y + height};
  // Frames usually keep the window where it is: asking again would cost a configure round of
  // GTK and the server on every frame.
  if (bounds == bounds_) return;
  const bool resized = bounds.width() != bounds_.width() || bounds.height() != bounds_.height();
  bounds_ = bounds;
  gtk_window_move(GTK_WINDOW(window_), ToGdk(x, gdkScale_), ToGdk(y, gdkScale_));
  // A walking character only moves: a resize request would cost GTK a layout round each frame.
  if (resized) gtk_window_resize(GTK_WINDOW(window_), ToGdkSize(width, gdkScale_), ToGdkSize(height, gdkScale_));
  // GTK applies the new size on its next frame; the server gets both at once so that the window
  // never shows at the new place with the old size.
  XMoveResizeWindow(display_, xid_, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XFlush(display_);
}

void GtkNativeWindow::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible) {
    gtk_window_move(GTK_WINDOW(window_), ToGdk(bounds_.left, gdkScale_), ToGdk(bounds_.top, gdkScale_));
    // Shown means shown: a window hidden while the application was minimised comes back normal
    // (and brings the others with it).
    gtk_window_deiconify(GTK_WINDOW(window_));
    gtk_widget_show(window_);
  } else {
    gtk_widget_hide(window_);
  }
}

void GtkNativeWindow::SetTopmost(bool topmost) {
  topmost_ = topmost;
  gtk_window_set_keep_above(GTK_WINDOW(window_), topmost ? TRUE : FALSE);
}

void GtkNativeWindow::BringToFront() {
  // Raised without taking the focus.
  gdk_window_raise(gtk_widget_get_window(window_));
}

void GtkNativeWindow::Activate() {
  GdkWindow* window = gtk_widget_get_window(window_);
  gdk_window_raise(window);
  // A current timestamp: window managers refuse activation requests that look stale.
  gdk_window_focus(window, gdk_x11_get_server_time(window));
}

bool GtkNativeWindow::PlaceBelow(uint64_t windowId) {
  const auto sibling = static_cast<Window>(windowId);
  if (sibling == 0 || sibling == xid_) return false;
  GdkDisplay* display = gdk_x11_lookup_xdisplay(display_);
  const Window root = DefaultRootWindow(display_);
  gdk_x11_display_error_trap_push(display);
  XWindowAttributes attributes{};
  const bool exists = XGetWindowAttributes(display_, sibling, &attributes) != 0;
  if (gdk_x11_display_error_trap_pop(display) != 0 || !exists) return false;
  gdk_x11_display_error_trap_push(display);
  if (gdk_x11_screen_supports_net_wm_hint(gdk_screen_get_default(),
                                          gdk_atom_intern_static_string("_NET_RESTACK_WINDOW"))) {
    // The window manager restacks frames; a direct request would name a window that is no
    // sibling of ours under a reparenting manager. Source indication 2: managers honour the
    // request only from pagers and similar tools, which is what this is.
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = xid_;
    message.xclient.message_type = XInternAtom(display_, "_NET_RESTACK_WINDOW", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = 2;
    message.xclient.data.l[1] = static_cast<long>(sibling);
    message.xclient.data.l[2] = Below;
    XSendEvent(display_, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  } else {
    XWindowChanges changes{};
    changes.sibling = sibling;
    changes.stack_mode = Below;
    XConfigureWindow(display_, xid_, CWSibling | CWStackMode, &changes);
  }
  return gdk_x11_display_error_trap_pop(display) == 0;
}

bool GtkNativeWindow::SupportsPerPixelAlpha() const {
  return rgba_ && gdk_screen_is_composited(gtk_widget_get_screen(window_));
}

void GtkNativeWindow::SetPicture(const ImageView& image, bool keepAlpha) {
  const cairo_format_t format = keepAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() / static_cast<size_t>(image.width) < static_cast<size_t>(image.height)) {
    picture_.reset();
    return;
  }
  // Frames of one animation share their size: the surface is refilled rather than made anew.
  cairo_surface_t* kept = picture_.get();
  if (kept == nullptr || cairo_image_surface_get_format(kept) != format ||
      cairo_image_surface_get_width(kept) != image.width || cairo_image_surface_get_height(kept) != image.height) {
    picture_.reset(cairo_image_surface_create(format, image.width, image.height));
    if (cairo_surface_status(picture_.get()) != CAIRO_STATUS_SUCCESS) {
      picture_.reset();
      return;
    }
  }
  cairo_surface_flush(picture_.get());
  unsigned char* data = cairo_image_surface_get_data(picture_.get());
  const int stride = cairo_image_surface_get_stride(picture_.get());
  const auto width = static_cast<size_t>(image.width);
  // Both cairo formats hold native-endian 0xAARRGGBB words, as the view does (RGB24 ignores the
  // top byte).
  for (int y = 0; y < image.height; ++y) {
    const auto source = image.pixels.subspan(static_cast<size_t>(y) * width, width);
    std::memcpy(data + static_cast<ptrdiff_t>(y) * stride, source.data(), source.size_bytes());
  }
  cairo_surface_mark_dirty(picture_.get());
}

void GtkNativeWindow::ShowImage(const ImageView& image) {
  SetPicture(image, false);
  // The input shape of a per-pixel picture must not outlive it.
  if (paint_ == Paint::PerPixel) RemoveShape();
  paint_ = Paint::Opaque;
  Redraw();
}

void GtkNativeWindow::SetShape(const Region* shape) {
  if (shape == nullptr) {
    RemoveShape();
  } else {
    // Where the input shape is not set the server takes clicks inside the bounding shape only:
    // one shape to send per frame instead of two.
    CombineRectangles(ShapeBounding, *shape);
    boundingShaped_ = true;
    if (inputShaped_) ClearShape(ShapeInput);
    // Sent now: the server's exposures then come back while the frame is still being made,
    // not as a wake-up of their own after it.
    XFlush(display_);
  }
}

void GtkNativeWindow::ShowLayered(const ImageView& premultiplied, uint8_t constantAlpha) {
  SetPicture(premultiplied, true);
  paint_ = Paint::PerPixel;
  constantAlpha_ = constantAlpha;
  if (boundingShaped_) ClearShape(ShapeBounding);
  if (picture_ && rgba_) {
    // Only what shows takes clicks; the bounding shape stays the whole window.
    CombineRectangles(ShapeInput, VisiblePixelRuns(premultiplied));
    inputShaped_ = true;
  } else if (inputShaped_) {
    ClearShape(ShapeInput);
  }
  Redraw();
}

void GtkNativeWindow::SetShapeMask(const ShapeMask& mask) {
  CombineMask(ShapeBounding, mask);
  boundingShaped_ = true;
  if (inputShaped_) ClearShape(ShapeInput);
  XFlush(display_);
}

void GtkNativeWindow::CombineRectangles(int kind, const std::vector<Rect>& rects) {
  if (rects.size() <= kMaxShapeRectangles) {
    auto xRects = ToXRectangles(rects);
    XShapeCombineRectangles(display_, xid_, kind, 0, 0, xRects.data(), static_cast<int>(xRects.size()), ShapeSet,
                            Unsorted);
    return;
  }
  // Too many for one request: the same pixels as a mask of the window's size.
  ShapeMask mask;
  mask.width = bounds_.width();
  mask.height = bounds_.height();
  mask.bits.assign(mask.RowBytes() * static_cast<size_t>(mask.height), 0);
  for (const Rect& rect : rects) {
    for (int y = std::max(rect.top, 0); y < std::min(rect.bottom, mask.height); ++y) {
      uint8_t* row = mask.bits.data() + static_cast<size_t>(y) * mask.RowBytes();
      for (int x = std::max(rect.left, 0); x < std::min(rect.right, mask.width); ++x) row[x / 8] |= 1u << (x % 8);
    }
  }
  CombineMask(kind, mask);
}

void GtkNativeWindow::CombineMask(int kind, const ShapeMask& mask) {
  if (mask.width <= 0 || mask.height <= 0 || mask.bits.size() < mask.RowBytes() * static_cast<size_t>(mask.height)) {
    XShapeCombineRectangles(display_, xid_, kind, 0, 0, nullptr, 0, ShapeSet, Unsorted);  // shows nothing
    return;
  }
  // Bitmap data: rows padded to whole bytes, least significant bit first, as ShapeMask has it.
  const Pixmap bitmap = XCreateBitmapFromData(display_, xid_, reinterpret_cast<const char*>(mask.bits.data()),
                                              static_cast<unsigned>(mask.width), static_cast<unsigned>(mask.height));
  XShapeCombineMask(display_, xid_, kind, 0, 0, bitmap, ShapeSet);
  XFreePixmap(display_, bitmap);
}

void GtkNativeWindow::RemoveShape() {
  ClearShape(ShapeBounding);
  ClearShape(ShapeInput);
  XFlush(display_);
}

void GtkNativeWindow::ClearShape(int kind) {
  XShapeCombineMask(display_, xid_, kind, 0, 0, None, ShapeSet);
  (kind == ShapeInput ? inputShaped_ : boundingShaped_) = false;
}

void GtkNativeWindow::SetOpacity(uint8_t alpha) { gtk_widget_set_opacity(window_, alpha / 255.0); }

void GtkNativeWindow::SetCursor(int cursorNumber) {
  GdkWindow* window = gtk_widget_get_window(window_);
  if (cursorNumber == kHandCursor) {
    if (handCursor_ == nullptr) handCursor_ = gdk_cursor_new_from_name(gdk_window_get_display(window), "pointer");
    if (handCursor_ == nullptr) handCursor_ = gdk_cursor_new_for_display(gdk_window_get_display(window), GDK_HAND2);
    gdk_window_set_cursor(window, handCursor_);
    return;
  }
  // Numbers without a registered cursor (and 0) show the default arrow.
  gdk_window_set_cursor(window, GtkCursorTable::Lookup(cursorNumber));
}

void GtkNativeWindow::Redraw() { gtk_widget_queue_draw(window_); }

bool GtkNativeWindow::TakeServerEvent(void* xevent) {
  auto& event = *static_cast<XEvent*>(xevent);
  switch (event.type) {
    case Expose:
      // Every draw paints the whole picture, so the exposed rectangles (a new shape exposes one
      // per run of its outline) need not be gathered by GDK: the last of a series asks for one
      // draw, and none when the server exposed them before a draw that came later anyway (the
      // usual case: the frame's own shape, sent just before its picture).
      if (event.xexpose.count == 0 && event.xexpose.serial >= drawnFromSerial_) Redraw();
      return true;
    case ReparentNotify:
      if (event.xreparent.window == xid_) onRoot_ = event.xreparent.parent == DefaultRootWindow(display_);
      return false;
    case ConfigureNotify:
      // A child of the root (no reparenting window manager) finds its position on the root in the
      // event itself. GDK asks the server for it again, a round trip on every step of a walk,
      // unless the event counts as sent (as window managers' synthetic ones are).
      if (onRoot_ && event.xconfigure.window == xid_ && event.xconfigure.event == xid_) {
        event.xconfigure.send_event = True;
      }
      return false;
    default:
      return false;
  }
}

int GtkNativeWindow::OnDraw(GtkWidget*, cairo_t* cr, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  // The requests of this draw reach the server after everything sent so far.
  window.drawnFromSerial_ = NextRequest(window.display_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(cr, 0, 0, 0, 0);
  cairo_paint(cr);
  if (!window.picture_) return TRUE;
  // The picture is in X pixels: under GDK's window scale it is drawn one to one all the same,
  // never enlarged a second time.
  if (window.gdkScale_ != 1) cairo_scale(cr, 1.0 / window.gdkScale_, 1.0 / window.gdkScale_);
  cairo_set_source_surface(cr, window.picture_.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  if (window.paint_ == Paint::PerPixel) {
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint_with_alpha(cr, window.constantAlpha_ / 255.0);
  } else {
    cairo_paint(cr);
  }
  return TRUE;
}

int GtkNativeWindow::OnButtonPress(GtkWidget*, GdkEvent* event, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  const GdkEventButton& press = event->button;
  const auto button = ButtonOf(press.button);
  if (window.input_ == nullptr || !button) return TRUE;
  // X reports the second press of a double click as a press followed by GDK_2BUTTON_PRESS.
  if (press.type == GDK_BUTTON_PRESS) {
    window.input_->MouseDown(*button, static_cast<int>(press.x * window.gdkScale_),
                             static_cast<int>(press.y * window.gdkScale_));
  } else if (press.type == GDK_2BUTTON_PRESS && *button == MouseButton::Left) {
    window.input_->DoubleClick();
  }
  return TRUE;
}

int GtkNativeWindow::OnButtonRelease(GtkWidget*, GdkEvent* event, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  const auto button = ButtonOf(event->button.button);
  if (window.input_ != nullptr && button) window.input_->MouseUp(*button);
  return TRUE;
}

int GtkNativeWindow::OnMotion(GtkWidget*, GdkEvent* event, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  const GdkEventMotion& motion = event->motion;
  if (window.input_ != nullptr) {
    window.input_->MouseMove((motion.state & GDK_BUTTON1_MASK) != 0, (motion.state & GDK_BUTTON3_MASK) != 0,
                             static_cast<int>(motion.x_root * window.gdkScale_),
                             static_cast<int>(motion.y_root * window.gdkScale_));
  }
  return TRUE;
}

int GtkNativeWindow::OnKey(GtkWidget* widget, GdkEvent* event, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  const GdkEventKey& key = event->key;
  // The key's symbol without modifiers, so that Shift+1 still names the "1" key.
  guint keyval = key.keyval;
  GdkKeymap* keymap = gdk_keymap_get_for_display(gtk_widget_get_display(widget));
  guint plain = 0;
  if (gdk_keymap_translate_keyboard_state(keymap, key.hardware_keycode, static_cast<GdkModifierType>(0), key.group,
                                          &plain, nullptr, nullptr, nullptr)) {
    keyval = plain;
  }
  const int code = VirtualKeyFromKeysym(keyval);
  if (window.input_ == nullptr || code == 0) return FALSE;
  if (key.type == GDK_KEY_PRESS) {
    window.input_->KeyDown(code);
  } else {
    window.input_->KeyUp(code);
  }
  return TRUE;
}

int GtkNativeWindow::OnDelete(GtkWidget*, GdkEvent*, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  if (window.input_ != nullptr) window.input_->CloseRequested();
  return TRUE;  // the owner decides whether the window goes
}

int GtkNativeWindow::OnWindowState(GtkWidget*, GdkEvent* event, void* self) {
  auto& window = *static_cast<GtkNativeWindow*>(self);
  const GdkEventWindowState& state = event->window_state;
  constexpr int kWatched = GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_WITHDRAWN;
  // Hiding a window (withdrawn) is no minimise; showing it again counts as a restore.
  if ((state.changed_mask & kWatched) == 0 || (state.new_window_state & GDK_WINDOW_STATE_WITHDRAWN) != 0) return FALSE;
  if (window.onIconified_) window.onIconified_((state.new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0);
  return FALSE;
}

}  // namespace kpf::platform::gtk
