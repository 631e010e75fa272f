#pragma once
// Pictures of the platform interface as GDK and cairo objects.
#include <cstdint>
#include <vector>

#include "platform/PopupMenu.hpp"

typedef struct _GdkPixbuf GdkPixbuf;
typedef struct _cairo_surface cairo_surface_t;

namespace kpf::platform::gtk {

// A new pixbuf with alpha (the caller unrefs it); null for an empty picture.
GdkPixbuf* PixbufFromPicture(const Picture& picture);
// A new premultiplied ARGB32 surface (the caller destroys it); null for an empty picture.
cairo_surface_t* SurfaceFromPicture(const Picture& picture);

}  // namespace kpf::platform::gtk
