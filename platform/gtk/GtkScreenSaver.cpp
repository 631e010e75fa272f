#include "platform/gtk/GtkScreenSaver.hpp"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include "platform/gtk/X11ForeignWindow.hpp"
#include "platform/gtk/X11InputWatch.hpp"

namespace kpf::platform::gtk {

namespace {

constexpr const char* kIconName = "application-x-executable";
constexpr int kIconSize = 32;

// A grey frame with a dark border: the icon when the theme has none.
platform::Picture DrawnIcon() {
  platform::Picture icon{kIconSize, kIconSize, std::vector<uint32_t>(kIconSize * kIconSize, 0xFFB0B0B0u)};
  for (int i = 0; i < kIconSize; ++i) {
    for (const int at : {i, (kIconSize - 1) * kIconSize + i, i * kIconSize, i * kIconSize + kIconSize - 1}) {
      icon.pixels[static_cast<size_t>(at)] = 0xFF303030u;
    }
  }
  return icon;
}

platform::Picture FromPixbuf(GdkPixbuf* pixbuf) {
  platform::Picture picture;
  const int channels = gdk_pixbuf_get_n_channels(pixbuf);
  if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 || channels < 3) return picture;
  picture.width = gdk_pixbuf_get_width(pixbuf);
  picture.height = gdk_pixbuf_get_height(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  const guchar* data = gdk_pixbuf_read_pixels(pixbuf);
  picture.pixels.resize(static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height));
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const guchar* p = data + static_cast<ptrdiff_t>(y) * stride + static_cast<ptrdiff_t>(x) * channels;
      const uint32_t alpha = channels == 4 ? p[3] : 255;
      picture.pixels[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)] =
          alpha << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    }
  }
  return picture;
}

}  // namespace

std::unique_ptr<platform::InputWatch> GtkScreenSaver::WatchScreenInput(
    std::function<void(platform::ScreenInput)> onInput) {
  return X11InputWatch::Open(DisplayString(display_), std::move(onInput));
}

std::optional<platform::Point> GtkScreenSaver::ReadPointer() {
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int mask = 0;
  // False: the pointer is on another screen of the display.
  if (!XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &windowX, &windowY,
                     &mask)) {
    return std::nullopt;
  }
  return platform::Point{rootX, rootY};
}

void GtkScreenSaver::RepaintDesktop() {
  XClearArea(display_, DefaultRootWindow(display_), 0, 0, 0, 0, True);
  XFlush(display_);
}

std::unique_ptr<platform::ForeignWindow> GtkScreenSaver::OpenForeignWindow(uint64_t windowId, int waitMs) {
  return X11ForeignWindow::Open(display_, loop_, windowId, waitMs);
}

uint64_t GtkScreenSaver::ScreenWindowId() { return DefaultRootWindow(display_); }

platform::Picture GtkScreenSaver::ApplicationIcon() {
  GdkPixbuf* pixbuf = gtk_icon_theme_load_icon(gtk_icon_theme_get_default(), kIconName, kIconSize,
                                               GTK_ICON_LOOKUP_FORCE_SIZE, nullptr);
  if (pixbuf == nullptr) return DrawnIcon();
  platform::Picture icon = FromPixbuf(pixbuf);
  g_object_unref(pixbuf);
  return icon.empty() ? DrawnIcon() : icon;
}

}  // namespace kpf::platform::gtk
