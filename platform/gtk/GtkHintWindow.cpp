#include "platform/gtk/GtkHintWindow.hpp"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cstring>

#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkNativeWindow.hpp"
#include "platform/gtk/KeyColourShape.hpp"

namespace kpf::platform::gtk {
namespace {

constexpr const char* kHintFont = "Tahoma, Sans 8";
constexpr double kDpi = 96.0;
constexpr double kBackground[3] = {1.0, 1.0, 225.0 / 255.0};  // classic tooltip yellow
constexpr int kCornerRadius = 4;                                 // 8 × 8 corner ellipse
constexpr int kTextInset = 4;
constexpr int kTailWidth = 9;

struct CairoDeleter {
  void operator()(cairo_t* cr) const { cairo_destroy(cr); }
  void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
using CairoPtr = std::unique_ptr<cairo_t, CairoDeleter>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, CairoDeleter>;
struct GObjectDeleter {
  void operator()(void* object) const { g_object_unref(object); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, GObjectDeleter>;

// A layout of one line: plain text (no markup is ever parsed), the style as attributes.
LayoutPtr MakeLayout(cairo_t* cr, std::string_view text, const HintTextStyle& style) {
  PangoContext* context = pango_cairo_create_context(cr);
  pango_cairo_context_set_resolution(context, kDpi);
  LayoutPtr layout(pango_layout_new(context));
  g_object_unref(context);
  PangoFontDescription* font = pango_font_description_from_string(kHintFont);
  if (style.bold) pango_font_description_set_weight(font, PANGO_WEIGHT_BOLD);
  if (style.italic) pango_font_description_set_style(font, PANGO_STYLE_ITALIC);
  pango_layout_set_font_description(layout.get(), font);
  pango_font_description_free(font);
  if (style.underline) {
    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    pango_layout_set_attributes(layout.get(), attributes);
    pango_attr_list_unref(attributes);
  }
  pango_layout_set_single_paragraph_mode(layout.get(), TRUE);
  const std::string shown = DisplayText(std::string(text));
  pango_layout_set_text(layout.get(), shown.data(), static_cast<int>(shown.size()));
  return layout;
}

void BodyPath(cairo_t* cr, int width, int bodyHeight) {
  // Pixel centres: the outline covers columns 0..width-1 and rows 0..bodyHeight-1.
  const double left = 0.5, top = 0.5, right = width - 0.5, bottom = bodyHeight - 0.5;
  const double r = kCornerRadius;
  cairo_new_path(cr);
  cairo_arc(cr, right - r, top + r, r, -G_PI / 2, 0);
  cairo_arc(cr, right - r, bottom - r, r, 0, G_PI / 2);
  cairo_arc(cr, left + r, bottom - r, r, G_PI / 2, G_PI);
  cairo_arc(cr, left + r, top + r, r, G_PI, 3 * G_PI / 2);
  cairo_close_path(cr);
}

void PaintTail(cairo_t* cr, const HintBubble& bubble) {
  const double tip = bubble.tailX + 0.5;
  const double joint = bubble.bodyHeight - 0.5;
  // The inside of the tail, then its two sides, then the body's border where the tail joins it.
  cairo_new_path(cr);
  cairo_move_to(cr, tip, bubble.height);
  cairo_line_to(cr, tip, joint);
  cairo_line_to(cr, tip + kTailWidth, joint);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, kBackground[0], kBackground[1], kBackground[2]);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_move_to(cr, tip, bubble.height);
  cairo_line_to(cr, tip, joint);
  cairo_move_to(cr, tip, bubble.height);
  cairo_line_to(cr, tip + kTailWidth, joint);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, kBackground[0], kBackground[1], kBackground[2]);
  cairo_move_to(cr, bubble.tailX + 1, joint);
  cairo_line_to(cr, bubble.tailX + kTailWidth, joint);
  cairo_stroke(cr);
}

}  // namespace

GtkHintWindow::GtkHintWindow() : window_(std::make_unique<GtkNativeWindow>()) {
  GdkDisplay* display = gdk_display_get_default();
  if (GdkWindow* window = gdk_x11_window_lookup_for_display(display, window_->XWindowId())) {
    gdk_window_set_accept_focus(window, FALSE);
  }
}

GtkHintWindow::~GtkHintWindow() = default;

unsigned long GtkHintWindow::XWindowId() const { return window_->XWindowId(); }

TextExtent GtkHintWindow::MeasureText(std::string_view text, const HintTextStyle& style) {
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1));
  CairoPtr cr(cairo_create(surface.get()));
  LayoutPtr layout = MakeLayout(cr.get(), text, style);
  int width = 0;
  int height = 0;
  pango_layout_get_pixel_size(layout.get(), &width, &height);
  return TextExtent{width, height};
}

std::vector<uint32_t> GtkHintWindow::Paint(const HintBubble& bubble, int& width, int& height) {
  const int scale = std::clamp(bubble.scale, 1, kMaxHintScale);
  width = static_cast<int>(std::clamp<int64_t>(int64_t{bubble.width} * scale, 1, kMaxHintPictureSide));
  height = static_cast<int>(std::clamp<int64_t>(int64_t{bubble.height} * scale, 1, kMaxHintPictureSide));
  SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
  CairoPtr cr(cairo_create(surface.get()));
  // Laid out in unscaled pixels: outline, tail and text all come out `scale` times as large.
  cairo_scale(cr.get(), scale, scale);
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr.get(), 1.0);
  // The key colour the window's shape is cut from (NonKeyPixelRuns in Show).
  cairo_set_source_rgb(cr.get(), ((kHintKeyColour >> 16) & 0xFF) / 255.0, ((kHintKeyColour >> 8) & 0xFF) / 255.0,
                       (kHintKeyColour & 0xFF) / 255.0);
  cairo_paint(cr.get());

  BodyPath(cr.get(), bubble.width, bubble.bodyHeight);
  cairo_set_source_rgb(cr.get(), kBackground[0], kBackground[1], kBackground[2]);
  cairo_fill_preserve(cr.get());
  cairo_set_source_rgb(cr.get(), 0, 0, 0);
  cairo_stroke(cr.get());
  PaintTail(cr.get(), bubble);

  // Text stays inside the body, whatever its measured width.
  cairo_save(cr.get());
  cairo_rectangle(cr.get(), 1, 1, std::max(bubble.width - 2, 0), std::max(bubble.bodyHeight - 2, 0));
  cairo_clip(cr.get());
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_source_rgb(cr.get(), 0, 0, 0);
  for (size_t i = 0; i < bubble.lines.size(); ++i) {
    const int top = kTextInset + static_cast<int>(i) * bubble.lineHeight;
    if (top * scale >= height) break;
    LayoutPtr layout = MakeLayout(cr.get(), bubble.lines[i].text, bubble.lines[i].style);
    cairo_move_to(cr.get(), kTextInset, top);
    pango_cairo_show_layout(cr.get(), layout.get());
  }
  cairo_restore(cr.get());
  cairo_surface_flush(surface.get());

  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  const unsigned char* data = cairo_image_surface_get_data(surface.get());
  const int stride = cairo_image_surface_get_stride(surface.get());
  for (int y = 0; y < height; ++y) {
    std::memcpy(&pixels[static_cast<size_t>(y) * width], data + static_cast<ptrdiff_t>(y) * stride,
                static_cast<size_t>(width) * sizeof(uint32_t));
  }
  return pixels;
}

void GtkHintWindow::Show(const HintBubble& bubble, Point topLeft) {
  int width = 0;
  int height = 0;
  pixels_ = Paint(bubble, width, height);
  const ImageView view{width, height, pixels_};
  const Region shape = NonKeyPixelRuns(view, kHintKeyColour);
  window_->MoveResize(topLeft.x, topLeft.y, width, height);
  window_->ShowImage(view);
  window_->SetShape(&shape);
  window_->SetVisible(true);
}

void GtkHintWindow::Hide() { window_->SetVisible(false); }

bool GtkHintWindow::Visible() const { return window_->Visible(); }

Rect GtkHintWindow::Bounds() const { return window_->Bounds(); }

void GtkHintWindow::MoveTo(Point topLeft) {
  const Rect bounds = window_->Bounds();
  window_->MoveResize(topLeft.x, topLeft.y, bounds.width(), bounds.height());
}

void GtkHintWindow::SetStayOnTop(bool stayOnTop) { window_->SetTopmost(stayOnTop); }

}  // namespace kpf::platform::gtk
