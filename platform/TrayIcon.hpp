#pragma once
// The icon in the desktop's notification area: picture, tooltip, menu, balloon messages. On a
// desktop without a notification area every operation is accepted and shows nothing.
#include <functional>
#include <string>

#include "platform/PopupMenu.hpp"

namespace kpf::platform {

enum class BalloonIcon { None = 0, Information = 1, Warning = 2, Error = 3 };

struct Balloon {
  std::string title;
  std::string text;
  BalloonIcon icon = BalloonIcon::None;
  int timeoutMs = 0;
  bool operator==(const Balloon&) const = default;
};

class TrayIcon {
 public:
  virtual ~TrayIcon() = default;
  // Empty: no tooltip.
  virtual void SetTooltip(const std::string& text) = 0;
  // Null or empty: the application's own icon.
  virtual void SetPicture(const Picture* picture) = 0;
  // A right click asks `entries` for the current menu and reports the choice to `onChosen`.
  virtual void SetMenu(std::function<MenuModel()> entries, MenuChoice onChosen) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Visible() const = 0;
  virtual void ShowBalloon(const Balloon& balloon) = 0;
  virtual void HideBalloon() = 0;
};

}  // namespace kpf::platform
