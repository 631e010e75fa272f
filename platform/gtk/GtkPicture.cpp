#include "platform/gtk/GtkPicture.hpp"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <cairo.h>

namespace kpf::platform::gtk {

GdkPixbuf* PixbufFromPicture(const Picture& picture) {
  if (picture.empty()) return nullptr;
  GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, picture.width, picture.height);
  if (pixbuf == nullptr) return nullptr;
  guchar* data = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture.height; ++y) {
    guchar* row = data + static_cast<ptrdiff_t>(y) * stride;
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t pixel = picture.pixels[static_cast<size_t>(y) * picture.width + x];
      row[4 * x] = static_cast<guchar>(pixel >> 16);
      row[4 * x + 1] = static_cast<guchar>(pixel >> 8);
      row[4 * x + 2] = static_cast<guchar>(pixel);
      row[4 * x + 3] = static_cast<guchar>(pixel >> 24);
    }
  }
  return pixbuf;
}

cairo_surface_t* SurfaceFromPicture(const Picture& picture) {
  if (picture.empty()) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width, picture.height);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < picture.height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
    for (int x = 0; x < picture.width; ++x) {
      const uint32_t pixel = picture.pixels[static_cast<size_t>(y) * picture.width + x];
      const uint32_t alpha = pixel >> 24;
      auto scale = [alpha](uint32_t channel) { return (channel * alpha + 127) / 255; };
      row[x] = (alpha << 24) | (scale((pixel >> 16) & 0xFF) << 16) | (scale((pixel >> 8) & 0xFF) << 8) |
               scale(pixel & 0xFF);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

}  // namespace kpf::platform::gtk
