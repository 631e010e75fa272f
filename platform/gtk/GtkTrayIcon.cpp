#include "platform/gtk/GtkTrayIcon.hpp"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#ifdef KPF_HAVE_APPINDICATOR
#include <libayatana-appindicator/app-indicator.h>
#endif
#ifdef KPF_HAVE_LIBNOTIFY
#include <libnotify/notify.h>
#endif
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkPicture.hpp"
#include "platform/gtk/GtkPopupMenu.hpp"

// GtkStatusIcon is the only XEmbed tray client GTK 3 has; it is deprecated in favour of
// StatusNotifier items, which are used instead wherever a host runs.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace kpf::platform::gtk {
namespace {

constexpr const char* kApplicationIcon = "application-x-executable";
constexpr const char* kIndicatorId = "kpfplayer";
constexpr int kIndicatorRefreshMs = 500;
constexpr int kBusTimeoutMs = 500;

// Talking to the session bus only when one is named: GLib would otherwise try to start one.
bool SessionBusNamed() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return address != nullptr && *address != '\0';
}

#ifdef KPF_HAVE_LIBNOTIFY
bool NotificationsReady() {
  if (!SessionBusNamed()) return false;
  return notify_is_initted() || notify_init(kIndicatorId);
}
#endif

}  // namespace

const char* BalloonIconName(BalloonIcon icon) {
  switch (icon) {
    case BalloonIcon::Information: return "dialog-information";
    case BalloonIcon::Warning: return "dialog-warning";
    case BalloonIcon::Error: return "dialog-error";
    default: break;  // no icon
  }
  return "";
}

bool GtkTrayIcon::StatusNotifierHostRuns() {
  if (!SessionBusNamed()) return false;
  GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
  if (bus == nullptr) return false;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
      g_variant_new("(s)", "org.kde.StatusNotifierWatcher"), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
      kBusTimeoutMs, nullptr, nullptr);
  gboolean owned = FALSE;
  if (reply != nullptr) {
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
  }
  g_object_unref(bus);
  return owned != FALSE;
}

GtkTrayIcon::GtkTrayIcon(bool preferIndicator) : menu_(std::make_unique<GtkPopupMenu>()) {
#ifdef KPF_HAVE_APPINDICATOR
  if (preferIndicator && StatusNotifierHostRuns()) {
    kind_ = Kind::Indicator;
    indicator_ = app_indicator_new(kIndicatorId, kApplicationIcon, APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    // The exported menu follows the player's menu (ticks, captions) while it changes.
    indicatorRefresh_ = g_timeout_add(
        kIndicatorRefreshMs,
        [](void* self) -> gboolean {
          static_cast<GtkTrayIcon*>(self)->RefreshIndicatorMenu();
          return G_SOURCE_CONTINUE;
        },
        this);
    return;
  }
#else
  (void)preferIndicator;
#endif
  {
    statusIcon_ = gtk_status_icon_new_from_icon_name(kApplicationIcon);
    gtk_status_icon_set_visible(statusIcon_, FALSE);
    g_signal_connect(statusIcon_, "popup-menu", G_CALLBACK(&GtkTrayIcon::OnStatusIconPopup), this);
  }
}

GtkTrayIcon::~GtkTrayIcon() {
  if (indicatorRefresh_ != 0) g_source_remove(indicatorRefresh_);
  ReleaseBalloon();
  if (statusIcon_ != nullptr) {
    // A tray that went away took the icon's embedded window with it; unmapping that window then
    // fails, which must not end the program.
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    g_signal_handlers_disconnect_by_data(statusIcon_, this);
    gtk_status_icon_set_visible(statusIcon_, FALSE);
    g_object_unref(statusIcon_);
    gdk_display_sync(display);
    gdk_x11_display_error_trap_pop_ignored(display);
  }
#ifdef KPF_HAVE_APPINDICATOR
  if (indicator_ != nullptr) {
    app_indicator_set_status(indicator_, APP_INDICATOR_STATUS_PASSIVE);
    g_object_unref(indicator_);
  }
#endif
  if (!pictureFile_.empty()) unlink(pictureFile_.c_str());
}

void GtkTrayIcon::SetTooltip(const std::string& text) {
  const std::string shown = DisplayText(text);
  if (statusIcon_ != nullptr) {
    gtk_status_icon_set_has_tooltip(statusIcon_, shown.empty() ? FALSE : TRUE);
    gtk_status_icon_set_tooltip_text(statusIcon_, shown.c_str());
  }
#ifdef KPF_HAVE_APPINDICATOR
  if (indicator_ != nullptr) app_indicator_set_title(indicator_, shown.c_str());
#endif
}

void GtkTrayIcon::SetPicture(const Picture* picture) {
  picture_ = (picture == nullptr || picture->empty()) ? Picture{} : *picture;
  ApplyPicture();
}

void GtkTrayIcon::ApplyPicture() {
  if (statusIcon_ != nullptr) {
    if (GdkPixbuf* pixbuf = PixbufFromPicture(picture_)) {
      gtk_status_icon_set_from_pixbuf(statusIcon_, pixbuf);
      g_object_unref(pixbuf);
    } else {
      gtk_status_icon_set_from_icon_name(statusIcon_, kApplicationIcon);
    }
    return;
  }
#ifdef KPF_HAVE_APPINDICATOR
  if (indicator_ == nullptr) return;
  // Indicators take icons by name or file; a picture goes through a private PNG file.
  GdkPixbuf* pixbuf = PixbufFromPicture(picture_);
  if (pixbuf == nullptr) {
    app_indicator_set_icon_full(indicator_, kApplicationIcon, "");
    return;
  }
  if (pictureFile_.empty()) {
    std::string path = std::string(g_get_tmp_dir()) + "/kpftray-XXXXXX.png";
    const int fd = g_mkstemp_full(path.data(), 0, 0600);
    if (fd >= 0) {
      close(fd);
      pictureFile_ = path;
    }
  }
  if (!pictureFile_.empty() && gdk_pixbuf_save(pixbuf, pictureFile_.c_str(), "png", nullptr, nullptr)) {
    // A new name makes the host reload the file.
    app_indicator_set_icon_full(indicator_, kApplicationIcon, "");
    app_indicator_set_icon_full(indicator_, pictureFile_.c_str(), "");
  }
  g_object_unref(pixbuf);
#endif
}

void GtkTrayIcon::SetMenu(std::function<MenuModel()> entries, MenuChoice onChosen) {
  entries_ = std::move(entries);
  onChosen_ = std::move(onChosen);
  indicatorModel_.clear();
  RefreshIndicatorMenu();
}

void GtkTrayIcon::RefreshIndicatorMenu() {
#ifdef KPF_HAVE_APPINDICATOR
  if (indicator_ == nullptr || !entries_) return;
  MenuModel model = entries_();
  if (!indicatorModel_.empty() && model == indicatorModel_) return;
  indicatorModel_ = std::move(model);
  GtkWidget* menu = menu_->Build(indicatorModel_, onChosen_);
  app_indicator_set_menu(indicator_, GTK_MENU(menu));
#endif
}

void GtkTrayIcon::SetVisible(bool visible) {
  visible_ = visible;
  if (statusIcon_ != nullptr) {
    GdkDisplay* display = gdk_display_get_default();
    gdk_x11_display_error_trap_push(display);
    gtk_status_icon_set_visible(statusIcon_, visible ? TRUE : FALSE);
    gdk_display_sync(display);
    gdk_x11_display_error_trap_pop_ignored(display);
  }
#ifdef KPF_HAVE_APPINDICATOR
  if (indicator_ != nullptr) {
    app_indicator_set_status(indicator_, visible ? APP_INDICATOR_STATUS_ACTIVE : APP_INDICATOR_STATUS_PASSIVE);
  }
#endif
}

bool GtkTrayIcon::Embedded() const { return statusIcon_ != nullptr && gtk_status_icon_is_embedded(statusIcon_); }

void GtkTrayIcon::PopupMenuAt(Point at) {
  if (!entries_) return;
  menu_->Popup(entries_(), at, onChosen_);
}

void GtkTrayIcon::OnStatusIconPopup(GtkStatusIcon*, unsigned, unsigned, void* self) {
  auto& tray = *static_cast<GtkTrayIcon*>(self);
  gint x = 0;
  gint y = 0;
  GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
  gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &x, &y);
  tray.PopupMenuAt(Point{x, y});
}

void GtkTrayIcon::ShowBalloon(const Balloon& balloon) {
#ifdef KPF_HAVE_LIBNOTIFY
  if (!NotificationsReady()) return;
  const std::string title = DisplayText(balloon.title);
  const std::string body = NotificationBody(DisplayText(balloon.text));
  const char* icon = BalloonIconName(balloon.icon);
  if (balloon_ == nullptr) {
    balloon_ = notify_notification_new(title.c_str(), body.c_str(), *icon != '\0' ? icon : nullptr);
  } else {
    notify_notification_update(balloon_, title.c_str(), body.c_str(), *icon != '\0' ? icon : nullptr);
  }
  notify_notification_set_timeout(balloon_, balloon.timeoutMs > 0 ? balloon.timeoutMs : NOTIFY_EXPIRES_DEFAULT);
  GError* error = nullptr;
  // No notification daemon: the balloon is dropped, as a failed shell call would be.
  if (!notify_notification_show(balloon_, &error) && error != nullptr) g_error_free(error);
#else
  (void)balloon;
#endif
}

void GtkTrayIcon::HideBalloon() {
#ifdef KPF_HAVE_LIBNOTIFY
  if (balloon_ != nullptr) notify_notification_close(balloon_, nullptr);
#endif
}

void GtkTrayIcon::ReleaseBalloon() {
#ifdef KPF_HAVE_LIBNOTIFY
  if (balloon_ == nullptr) return;
  notify_notification_close(balloon_, nullptr);
  g_object_unref(balloon_);
  balloon_ = nullptr;
#endif
}

std::string NotificationBody(const std::string& text) {
  std::string body;
  body.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': body += "&amp;"; break;
      case '<': body += "&lt;"; break;
      case '>': body += "&gt;"; break;
      default: body += c; break;
    }
  }
  return body;
}

}  // namespace kpf::platform::gtk
