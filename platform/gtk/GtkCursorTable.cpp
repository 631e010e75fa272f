#include "platform/gtk/GtkCursorTable.hpp"

#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <memory>

#include "platform/gtk/GtkPicture.hpp"

namespace kpf::platform::gtk {
namespace {

struct CursorUnref {
  void operator()(GdkCursor* cursor) const { g_object_unref(cursor); }
};
using CursorPtr = std::unique_ptr<GdkCursor, CursorUnref>;

// Process-wide, like the desktop's own cursor list.
std::map<int, CursorPtr>& Table() {
  static std::map<int, CursorPtr> table;
  return table;
}

}  // namespace

void GtkCursorTable::Register(int number, const CursorImage& image) {
  if (number < 1 || image.picture.empty()) {
    Unregister(number);
    return;
  }
  cairo_surface_t* surface = SurfaceFromPicture(image.picture);
  if (surface == nullptr) return;
  const int hotX = std::clamp(image.hotSpotX, 0, image.picture.width - 1);
  const int hotY = std::clamp(image.hotSpotY, 0, image.picture.height - 1);
  GdkCursor* cursor = gdk_cursor_new_from_surface(gdk_display_get_default(), surface, hotX, hotY);
  cairo_surface_destroy(surface);
  if (cursor == nullptr) return;
  Table()[number] = CursorPtr(cursor);
}

void GtkCursorTable::Unregister(int number) { Table().erase(number); }

GdkCursor* GtkCursorTable::Lookup(int number) {
  const auto found = Table().find(number);
  return found == Table().end() ? nullptr : found->second.get();
}

void GtkCursorTable::Clear() { Table().clear(); }

}  // namespace kpf::platform::gtk
