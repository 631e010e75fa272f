#include "platform/gtk/GdkScale.hpp"

#include <gdk/gdk.h>

#include <algorithm>

namespace kpf::platform::gtk {

int GdkWindowScale() {
  GdkWindow* root = gdk_get_default_root_window();
  return root != nullptr ? std::max(gdk_window_get_scale_factor(root), 1) : 1;
}

int ToGdk(int pixels, int scale) {
  if (scale <= 1) return pixels;
  return pixels >= 0 ? pixels / scale : -((-pixels + scale - 1) / scale);
}

int ToGdkSize(int pixels, int scale) {
  if (scale <= 1) return pixels;
  return (std::max(pixels, 0) + scale - 1) / scale;
}

}  // namespace kpf::platform::gtk
