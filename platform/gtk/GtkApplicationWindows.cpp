#include "platform/gtk/GtkApplicationWindows.hpp"

#include <gtk/gtk.h>

namespace kpf::platform::gtk {

void GtkApplicationWindows::ApplyToWindows(bool minimised) {
  GList* windows = gtk_window_list_toplevels();
  for (GList* item = windows; item != nullptr; item = item->next) {
    GtkWindow* window = GTK_WINDOW(item->data);
    if (!gtk_widget_get_visible(GTK_WIDGET(window))) continue;
    if (minimised) {
      gtk_window_iconify(window);
    } else {
      gtk_window_deiconify(window);
    }
  }
  g_list_free(windows);
}

void GtkApplicationWindows::SetMinimised(bool minimised) {
  ApplyToWindows(minimised);
  if (minimised == minimised_) return;
  minimised_ = minimised;
  Report(minimised);
}

void GtkApplicationWindows::WindowIconified(bool iconified) {
  // Our own iconify or restore of all windows comes back window by window: only the first one
  // that differs from the application's state changes it.
  if (iconified == minimised_) return;
  minimised_ = iconified;
  ApplyToWindows(iconified);
  Report(iconified);
}

void GtkApplicationWindows::Report(bool minimised) {
  loop_.Post([this, minimised] {
    if (onChanged_) onChanged_(minimised);
  });
}

}  // namespace kpf::platform::gtk
