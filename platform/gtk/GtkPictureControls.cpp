// Controls drawn with cairo: pictures, picture buttons and bevels.
#include <gtk/gtk.h>

#include "platform/gtk/GtkDialogKinds.hpp"
#include "platform/gtk/GtkPicture.hpp"

namespace kpf::platform::gtk {

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// A picture drawn at the control's top-left corner, unscaled; as a button it also reports the
// pointer entering and leaving and the left button going down and up (a release over it is a
// click).
class PictureControl : public GtkDialogControl {
 public:
  PictureControl(GtkWidget* fixed, bool button) : GtkDialogControl(fixed, gtk_drawing_area_new()) {
    g_signal_connect(Widget(), "draw", G_CALLBACK(&PictureControl::OnDraw), this);
    if (!button) {
      ClickOnRelease();
      return;
    }
    gtk_widget_add_events(Box(), GDK_ENTER_NOTIFY_MASK | GDK_LEAVE_NOTIFY_MASK);
    g_signal_connect(Box(), "enter-notify-event", G_CALLBACK(&PictureControl::OnCrossing), this);
    g_signal_connect(Box(), "leave-notify-event", G_CALLBACK(&PictureControl::OnCrossing), this);
    g_signal_connect(Box(), "button-press-event", G_CALLBACK(&PictureControl::OnPress), this);
    g_signal_connect(Box(), "button-release-event", G_CALLBACK(&PictureControl::OnRelease), this);
  }
  ~PictureControl() override { g_signal_handlers_disconnect_by_data(Widget(), this); }
  void SetPicture(const Picture& picture) override {
    surface_.reset(SurfaceFromPicture(picture));
    gtk_widget_queue_draw(Widget());
  }

 private:
  static int OnDraw(GtkWidget*, cairo_t* cr, void* self) {
    auto* control = static_cast<PictureControl*>(self);
    if (control->surface_) {
      cairo_set_source_surface(cr, control->surface_.get(), 0, 0);
      cairo_paint(cr);
    }
    return FALSE;
  }
  static int OnCrossing(GtkWidget*, GdkEventCrossing* event, void* self) {
    if (event->detail == GDK_NOTIFY_INFERIOR) return FALSE;
    if (DialogControlEvents* listener = static_cast<PictureControl*>(self)->Listener()) {
      if (event->type == GDK_ENTER_NOTIFY) {
        listener->PointerEntered();
      } else {
        listener->PointerLeft();
      }
    }
    return FALSE;
  }
  static int OnPress(GtkWidget*, GdkEventButton* event, void* self) {
    if (event->button != 1 || event->type != GDK_BUTTON_PRESS) return FALSE;
    if (DialogControlEvents* listener = static_cast<PictureControl*>(self)->Listener()) listener->ButtonPressed();
    return TRUE;
  }
  static int OnRelease(GtkWidget* widget, GdkEventButton* event, void* self) {
    if (event->button != 1) return FALSE;
    auto* control = static_cast<PictureControl*>(self);
    DialogControlEvents* listener = control->Listener();
    if (listener == nullptr) return TRUE;
    GtkAllocation area;
    gtk_widget_get_allocation(widget, &area);
    const bool inside = event->x >= 0 && event->y >= 0 && event->x < area.width && event->y < area.height;
    const std::weak_ptr<bool> alive = control->Alive();
    listener->ButtonReleased();
    // The release's script may have closed the dialog and freed this control.
    if (inside && !alive.expired()) listener->ControlClicked();
    return TRUE;
  }
  SurfacePtr surface_;
};

// The classic bevel: dark on the shadow side, light on the lit side; lowered swaps them.
class Bevel : public GtkDialogControl {
 public:
  Bevel(GtkWidget* fixed, const DialogControlStyle& style) : GtkDialogControl(fixed, gtk_drawing_area_new()), style_(style) {
    g_signal_connect(Widget(), "draw", G_CALLBACK(&Bevel::OnDraw), this);
  }
  ~Bevel() override { g_signal_handlers_disconnect_by_data(Widget(), this); }

 private:
  enum Shape { kBox, kFrame, kTopLine, kBottomLine, kLeftLine, kRightLine, kSpacer };
  static void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double grey) {
    cairo_set_source_rgb(cr, grey, grey, grey);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
  }
  // Top and left edges in `first`, bottom and right in `second`, inset by `inset`.
  static void Box(cairo_t* cr, double w, double h, double inset, double first, double second) {
    Line(cr, inset + 0.5, inset + 0.5, w - inset - 0.5, inset + 0.5, first);
    Line(cr, inset + 0.5, inset + 0.5, inset + 0.5, h - inset - 0.5, first);
    Line(cr, inset + 0.5, h - inset - 0.5, w - inset - 0.5, h - inset - 0.5, second);
    Line(cr, w - inset - 0.5, inset + 0.5, w - inset - 0.5, h - inset - 0.5, second);
  }
  static int OnDraw(GtkWidget* widget, cairo_t* cr, void* self) {
    const DialogControlStyle& style = static_cast<Bevel*>(self)->style_;
    const double w = gtk_widget_get_allocated_width(widget);
    const double h = gtk_widget_get_allocated_height(widget);
    const double dark = 0.5, light = 1.0;
    const double lit = style.bevelRaised ? light : dark;
    const double shaded = style.bevelRaised ? dark : light;
    cairo_set_line_width(cr, 1.0);
    switch (style.bevelShape) {
      case kBox: Box(cr, w, h, 0, lit, shaded); break;
      case kFrame:
        Box(cr, w, h, 0, shaded, lit);
        Box(cr, w, h, 1, lit, shaded);
        break;
      case kTopLine: Line(cr, 0, 0.5, w, 0.5, shaded), Line(cr, 0, 1.5, w, 1.5, lit); break;
      case kBottomLine: Line(cr, 0, h - 1.5, w, h - 1.5, shaded), Line(cr, 0, h - 0.5, w, h - 0.5, lit); break;
      case kLeftLine: Line(cr, 0.5, 0, 0.5, h, shaded), Line(cr, 1.5, 0, 1.5, h, lit); break;
      case kRightLine: Line(cr, w - 1.5, 0, w - 1.5, h, shaded), Line(cr, w - 0.5, 0, w - 0.5, h, lit); break;
      default: break;
    }
    return FALSE;
  }
  DialogControlStyle style_;
};

}  // namespace

std::unique_ptr<GtkDialogControl> MakePicture(GtkWidget* fixed, bool button) {
  return std::make_unique<PictureControl>(fixed, button);
}
std::unique_ptr<GtkDialogControl> MakeBevel(GtkWidget* fixed, const DialogControlStyle& style) {
  return std::make_unique<Bevel>(fixed, style);
}

}  // namespace kpf::platform::gtk
