#pragma once
// The process's table of custom cursors (number → cursor), as the desktop keeps one screen-wide
// cursor list: the platform registers pictures, every character window's SetCursor looks its
// number up here. Used from the user-interface thread only.
#include "platform/DesktopServices.hpp"

typedef struct _GdkCursor GdkCursor;

namespace kpf::platform::gtk {

class GtkCursorTable {
 public:
  // Makes the cursor (hot spot clamped into the picture) and files it under `number`, replacing
  // an older one. An empty picture or a number below 1 removes the entry instead.
  static void Register(int number, const CursorImage& image);
  static void Unregister(int number);
  // The cursor under the number, or null (the default pointer). Owned by the table.
  static GdkCursor* Lookup(int number);
  static void Clear();
};

}  // namespace kpf::platform::gtk
