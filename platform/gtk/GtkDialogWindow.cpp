#include "platform/gtk/GtkDialogWindow.hpp"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
// X11's None would hide DialogBorder::None.
#undef None

#include <algorithm>
#include <climits>

#include "platform/gtk/GtkDialogControl.hpp"
#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkPicture.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr Pixmap kNoMask = 0;

// Above this many rectangles a shape goes to the server as a bitmap.
constexpr size_t kMaxShapeRectangles = 65536;

std::optional<MouseButton> ButtonOf(guint button) {
  if (button == 1) return MouseButton::Left;
  if (button == 2) return MouseButton::Middle;
  if (button == 3) return MouseButton::Right;
  return std::nullopt;
}

short Clamp16(int value) { return static_cast<short>(std::clamp(value, SHRT_MIN, SHRT_MAX)); }

void ShapeFromRectangles(Display* display, Window xid, const Region& shape) {
  std::vector<XRectangle> rects;
  rects.reserve(shape.size());
  for (const Rect& r : shape) {
    const int width = std::min(r.right - r.left, int{USHRT_MAX});
    const int height = std::min(r.bottom - r.top, int{USHRT_MAX});
    if (width <= 0 || height <= 0) continue;
    rects.push_back({Clamp16(r.left), Clamp16(r.top), static_cast<unsigned short>(width), static_cast<unsigned short>(height)});
  }
  for (int kind : {ShapeBounding, ShapeInput})
    XShapeCombineRectangles(display, xid, kind, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, Unsorted);
}

void ShapeFromMask(Display* display, Window xid, const Region& shape) {
  int width = 1, height = 1;
  for (const Rect& r : shape) {
    width = std::max(width, std::min(r.right, 32767));
    height = std::max(height, std::min(r.bottom, 32767));
  }
  Pixmap mask = XCreatePixmap(display, xid, static_cast<unsigned>(width), static_cast<unsigned>(height), 1);
  GC gc = XCreateGC(display, mask, 0, nullptr);
  XSetForeground(display, gc, 0);
  XFillRectangle(display, mask, gc, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSetForeground(display, gc, 1);
  for (const Rect& r : shape) {
    if (r.right > r.left && r.bottom > r.top)
      XFillRectangle(display, mask, gc, Clamp16(r.left), Clamp16(r.top), static_cast<unsigned>(r.right - r.left),
                     static_cast<unsigned>(r.bottom - r.top));
  }
  XFreeGC(display, gc);
  for (int kind : {ShapeBounding, ShapeInput}) XShapeCombineMask(display, xid, kind, 0, 0, mask, ShapeSet);
  XFreePixmap(display, mask);
}

gboolean DestroyLater(gpointer widget) {
  gtk_widget_destroy(GTK_WIDGET(widget));
  return G_SOURCE_REMOVE;
}

}  // namespace

void GtkDialogWindow::SurfaceDeleter::operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }

GtkDialogWindow::GtkDialogWindow() {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  background_ = gtk_event_box_new();
  fixed_ = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(background_), fixed_);
  gtk_container_add(GTK_CONTAINER(window_), background_);
  gtk_widget_set_app_paintable(background_, TRUE);
  gtk_widget_add_events(background_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK);
  g_signal_connect(background_, "draw", G_CALLBACK(&GtkDialogWindow::OnDraw), this);
  g_signal_connect(background_, "button-press-event", G_CALLBACK(&GtkDialogWindow::OnPress), this);
  g_signal_connect(background_, "motion-notify-event", G_CALLBACK(&GtkDialogWindow::OnMotion), this);
  g_signal_connect(background_, "button-release-event", G_CALLBACK(&GtkDialogWindow::OnRelease), this);
  g_signal_connect(window_, "delete-event", G_CALLBACK(&GtkDialogWindow::OnDelete), this);
  gtk_widget_show(fixed_);
  gtk_widget_show(background_);
  SetClientSize(width_, height_);
  gtk_widget_realize(window_);
}

GtkDialogWindow::~GtkDialogWindow() {
  g_signal_handlers_disconnect_by_data(background_, this);
  g_signal_handlers_disconnect_by_data(window_, this);
  gtk_widget_hide(window_);
  g_idle_add(DestroyLater, window_);
}

unsigned long GtkDialogWindow::XWindowId() const { return GDK_WINDOW_XID(gtk_widget_get_window(window_)); }

void GtkDialogWindow::SetCaption(const std::string& caption) {
  gtk_window_set_title(GTK_WINDOW(window_), DisplayText(caption).c_str());
}

void GtkDialogWindow::SetBorder(DialogBorder border) {
  border_ = border;
  GtkWindow* window = GTK_WINDOW(window_);
  gtk_window_set_decorated(window, border != DialogBorder::None && !fullScreen_);
  const bool sizeable = border == DialogBorder::Sizeable || border == DialogBorder::SizeableToolWindow;
  gtk_window_set_resizable(window, sizeable);
  const bool tool = border == DialogBorder::ToolWindow || border == DialogBorder::SizeableToolWindow;
  gtk_window_set_type_hint(window, tool ? GDK_WINDOW_TYPE_HINT_UTILITY
                                        : border == DialogBorder::Dialog ? GDK_WINDOW_TYPE_HINT_DIALOG
                                                                         : GDK_WINDOW_TYPE_HINT_NORMAL);
  ApplyBorderFunctions();
}

void GtkDialogWindow::SetBorderIcons(const DialogBorderIcons& icons) {
  icons_ = icons;
  gtk_window_set_deletable(GTK_WINDOW(window_), icons.systemMenu);
  ApplyBorderFunctions();
}

// What the window manager offers through the frame (Motif hints): closing with the system menu,
// minimising and maximising as the icons say, resizing for sizeable borders.
void GtkDialogWindow::ApplyBorderFunctions() {
  GdkWindow* window = gtk_widget_get_window(window_);
  if (window == nullptr) return;
  int functions = GDK_FUNC_MOVE;
  if (icons_.systemMenu) functions |= GDK_FUNC_CLOSE;
  if (icons_.minimize) functions |= GDK_FUNC_MINIMIZE;
  if (icons_.maximize) functions |= GDK_FUNC_MAXIMIZE;
  if (border_ == DialogBorder::Sizeable || border_ == DialogBorder::SizeableToolWindow) functions |= GDK_FUNC_RESIZE;
  gdk_window_set_functions(window, static_cast<GdkWMFunction>(functions));
}

void GtkDialogWindow::SetClientSize(int width, int height) {
  width_ = std::clamp(width, 1, 16384);
  height_ = std::clamp(height, 1, 16384);
  gtk_widget_set_size_request(background_, width_, height_);
  gtk_window_resize(GTK_WINDOW(window_), width_, height_);
}

void GtkDialogWindow::MoveTo(int left, int top) {
  left_ = left;
  top_ = top;
  placed_ = true;
  gtk_window_move(GTK_WINDOW(window_), left, top);
}

FrameExtents GtkDialogWindow::Frame() const {
  GdkWindow* window = gtk_widget_get_window(window_);
  if (window == nullptr || !visible_ || !gtk_window_get_decorated(GTK_WINDOW(window_))) return {};
  GdkRectangle frame;
  gdk_window_get_frame_extents(window, &frame);
  int x = 0, y = 0;
  gdk_window_get_origin(window, &x, &y);
  const int left = std::max(0, x - frame.x), top = std::max(0, y - frame.y);
  return {left, top, std::max(0, frame.width - width_ - left), std::max(0, frame.height - height_ - top)};
}

Rect GtkDialogWindow::Bounds() const {
  const FrameExtents frame = Frame();
  if (visible_ && !placed_) {
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
    return {x, y, x + frame.left + width_ + frame.right, y + frame.top + height_ + frame.bottom};
  }
  return {left_, top_, left_ + frame.left + width_ + frame.right, top_ + frame.top + height_ + frame.bottom};
}

void GtkDialogWindow::SetColor(uint32_t rgb) {
  colour_ = rgb;
  gtk_widget_queue_draw(background_);
}

void GtkDialogWindow::SetBackground(const Picture& picture) {
  picture_.reset(SurfaceFromPicture(picture));
  gtk_widget_queue_draw(background_);
}

void GtkDialogWindow::SetShape(const Region* shape) {
  GdkWindow* window = gtk_widget_get_window(window_);
  Display* display = GDK_WINDOW_XDISPLAY(window);
  const Window xid = GDK_WINDOW_XID(window);
  if (shape == nullptr) {
    for (int kind : {ShapeBounding, ShapeInput}) XShapeCombineMask(display, xid, kind, 0, 0, kNoMask, ShapeSet);
  } else if (shape->size() > kMaxShapeRectangles) {
    ShapeFromMask(display, xid, *shape);
  } else {
    ShapeFromRectangles(display, xid, *shape);
  }
  XFlush(display);
}

void GtkDialogWindow::SetTopmost(bool topmost) { gtk_window_set_keep_above(GTK_WINDOW(window_), topmost); }

void GtkDialogWindow::SetFullScreen(bool fullScreen) {
  fullScreen_ = fullScreen;
  gtk_window_set_decorated(GTK_WINDOW(window_), !fullScreen && border_ != DialogBorder::None);
  if (fullScreen) {
    gtk_window_maximize(GTK_WINDOW(window_));
  } else {
    gtk_window_unmaximize(GTK_WINDOW(window_));
  }
}

void GtkDialogWindow::SetModal(bool modal) { gtk_window_set_modal(GTK_WINDOW(window_), modal); }

void GtkDialogWindow::Show(bool activate) {
  visible_ = true;
  if (placed_) gtk_window_move(GTK_WINDOW(window_), left_, top_);
  gtk_widget_show(window_);
  ApplyBorderFunctions();
  if (activate) gtk_window_present(GTK_WINDOW(window_));
}

void GtkDialogWindow::Hide() {
  visible_ = false;
  gtk_widget_hide(window_);
}

void GtkDialogWindow::BringToFront() { gtk_window_present(GTK_WINDOW(window_)); }

std::unique_ptr<DialogControl> GtkDialogWindow::CreateControl(DialogControlKind kind, const DialogControlStyle& style) {
  return GtkDialogControl::Make(kind, style, fixed_);
}

int GtkDialogWindow::OnDraw(GtkWidget*, cairo_t* cr, void* self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  const uint32_t rgb = window->colour_;
  cairo_set_source_rgb(cr, ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0);
  cairo_paint(cr);
  if (window->picture_) {
    cairo_set_source_surface(cr, window->picture_.get(), 0, 0);
    cairo_paint(cr);
  }
  return FALSE;
}

int GtkDialogWindow::OnPress(GtkWidget*, GdkEvent* event, void* self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  const GdkEventButton& press = event->button;
  const auto button = ButtonOf(press.button);
  if (press.type != GDK_BUTTON_PRESS || !button) return FALSE;
  window->pressedOnBackground_ = *button == MouseButton::Left;
  if (window->events_) window->events_->BackgroundMouseDown(*button, static_cast<int>(press.x), static_cast<int>(press.y));
  return TRUE;
}

int GtkDialogWindow::OnMotion(GtkWidget*, GdkEvent* event, void* self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  const GdkEventMotion& motion = event->motion;
  if (window->events_)
    window->events_->BackgroundMouseMove((motion.state & GDK_BUTTON1_MASK) != 0, static_cast<int>(motion.x_root),
                                         static_cast<int>(motion.y_root));
  return FALSE;
}

int GtkDialogWindow::OnRelease(GtkWidget*, GdkEvent* event, void* self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (event->button.button != 1 || !window->pressedOnBackground_) return FALSE;
  window->pressedOnBackground_ = false;
  if (window->events_) {
    DialogWindowEvents* events = window->events_;
    events->BackgroundMouseMove(false, static_cast<int>(event->button.x_root), static_cast<int>(event->button.y_root));
    // The move may have run nothing; the click may release the window, so it comes last.
    events->BackgroundClicked();
  }
  return TRUE;
}

int GtkDialogWindow::OnDelete(GtkWidget*, GdkEvent*, void* self) {
  auto* window = static_cast<GtkDialogWindow*>(self);
  if (window->events_) window->events_->WindowCloseRequested();
  return TRUE;  // the runtime decides what closing does
}

}  // namespace kpf::platform::gtk
