#pragma once
// The notification-area icon. Where a StatusNotifier host runs on the session bus, the icon is
// an Ayatana application indicator (its menu is exported over D-Bus and refreshed whenever the
// player's menu changes); otherwise it is an XEmbed icon (GtkStatusIcon) whose right click pops
// up the player's menu. With no tray at all the icon simply never shows. Balloons are desktop
// notifications (libnotify); when none can be shown nothing else happens.
#include <functional>
#include <memory>
#include <string>

#include "platform/TrayIcon.hpp"

typedef struct _GtkStatusIcon GtkStatusIcon;
typedef struct _AppIndicator AppIndicator;
typedef struct _NotifyNotification NotifyNotification;

namespace kpf::platform::gtk {

class GtkPopupMenu;

class GtkTrayIcon : public TrayIcon {
 public:
  enum class Kind { StatusIcon, Indicator };
  // Indicator when `preferIndicator` and a StatusNotifier host is found, else StatusIcon.
  explicit GtkTrayIcon(bool preferIndicator = true);
  ~GtkTrayIcon() override;
  GtkTrayIcon(const GtkTrayIcon&) = delete;
  GtkTrayIcon& operator=(const GtkTrayIcon&) = delete;

  void SetTooltip(const std::string& text) override;
  void SetPicture(const Picture* picture) override;
  void SetMenu(std::function<MenuModel()> entries, MenuChoice onChosen) override;
  void SetVisible(bool visible) override;
  bool Visible() const override { return visible_; }
  void ShowBalloon(const Balloon& balloon) override;
  void HideBalloon() override;

  Kind Backend() const { return kind_; }
  // True when the XEmbed icon sits in a tray (always false for the indicator).
  bool Embedded() const;
  // The XEmbed icon's right click, as the tray delivers it (for tests).
  void PopupMenuAt(Point at);
  // The XEmbed icon (null for the indicator), for tests.
  GtkStatusIcon* StatusIconForTests() const { return statusIcon_; }
  // The menu of the last popup (null before it), for tests.
  GtkPopupMenu* Menu() const { return menu_.get(); }
  // True when a StatusNotifier watcher owns its name on the session bus. Never starts a bus.
  static bool StatusNotifierHostRuns();

 private:
  void RefreshIndicatorMenu();
  void ApplyPicture();
  void ReleaseBalloon();
  static void OnStatusIconPopup(GtkStatusIcon* icon, unsigned button, unsigned time, void* self);

  Kind kind_ = Kind::StatusIcon;
  GtkStatusIcon* statusIcon_ = nullptr;
  AppIndicator* indicator_ = nullptr;
  std::unique_ptr<GtkPopupMenu> menu_;
  std::function<MenuModel()> entries_;
  MenuChoice onChosen_;
  MenuModel indicatorModel_;
  unsigned indicatorRefresh_ = 0;
  Picture picture_;
  std::string pictureFile_;
  bool visible_ = false;
  // One notification for all balloons: each new balloon replaces the one before (same id).
  NotifyNotification* balloon_ = nullptr;
};

// The icon name of a balloon kind (empty for none).
const char* BalloonIconName(BalloonIcon icon);
// A balloon's text as a notification body, which notification servers read as markup: "&", "<"
// and ">" are escaped, so the text always shows as it is.
std::string NotificationBody(const std::string& text);

}  // namespace kpf::platform::gtk
