// The yardstick of the idle benchmark: the least a GTK 3 program does to show an animated
// character. One undecorated 64x64 window with an RGBA visual, repainted from a 32-bit picture
// at a fixed rate (two pictures in turn, so every repaint changes the window).
//
//   kpf_gtk_baseline [HZ]     (default 10 repaints a second)
#include <gtk/gtk.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kSide = 64;

struct Baseline {
  GtkWidget* window = nullptr;
  std::array<cairo_surface_t*, 2> pictures{};
  int shown = 0;
};

// A disc on a transparent ground, premultiplied as cairo wants it.
cairo_surface_t* MakePicture(uint32_t colour) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSide, kSide);
  auto* pixels = reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface));
  const int stride = cairo_image_surface_get_stride(surface) / 4;
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const int dx = x - kSide / 2;
      const int dy = y - kSide / 2;
      pixels[y * stride + x] = dx * dx + dy * dy < (kSide / 2) * (kSide / 2) ? colour : 0;
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
  auto* baseline = static_cast<Baseline*>(data);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, baseline->pictures[baseline->shown], 0, 0);
  cairo_paint(cr);
  return TRUE;
}

gboolean OnTick(gpointer data) {
  auto* baseline = static_cast<Baseline*>(data);
  baseline->shown ^= 1;
  gtk_widget_queue_draw(baseline->window);
  return G_SOURCE_CONTINUE;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  const double hz = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (hz <= 0) return 2;

  Baseline baseline;
  baseline.pictures = {MakePicture(0xFF2080C0u), MakePicture(0xFFC08020u)};
  baseline.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(baseline.window), FALSE);
  gtk_window_set_default_size(GTK_WINDOW(baseline.window), kSide, kSide);
  gtk_widget_set_app_paintable(baseline.window, TRUE);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(baseline.window)))
    gtk_widget_set_visual(baseline.window, rgba);
  g_signal_connect(baseline.window, "draw", G_CALLBACK(OnDraw), &baseline);
  g_signal_connect(baseline.window, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  gtk_widget_show(baseline.window);

  g_timeout_add(static_cast<guint>(1000.0 / hz), OnTick, &baseline);
  gtk_main();
  for (cairo_surface_t* picture : baseline.pictures) cairo_surface_destroy(picture);
  return 0;
}
