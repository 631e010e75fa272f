#pragma once
// The player's icon in the notification area: tooltip (the project title), picture, the player's
// popup menu on a right click, and balloon messages. The rules about lengths, icon kinds and
// time-outs live here; the platform's TrayIcon shows the result. The platform icon is made on
// first use, so a player without a tray icon costs nothing.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.hpp"

namespace kpf::desktop {

inline constexpr size_t kMaxTrayTipLength = 127;
inline constexpr size_t kMaxBalloonTitleLength = 63;
inline constexpr size_t kMaxBalloonTextLength = 255;

// The first `maxBytes` bytes of the text; a UTF-8 text loses no half of a character.
std::string CutText(const std::string& text, size_t maxBytes);

class TCoolTrayIcon {
 public:
  explicit TCoolTrayIcon(platform::Platform& platform);
  ~TCoolTrayIcon();
  TCoolTrayIcon(const TCoolTrayIcon&) = delete;
  TCoolTrayIcon& operator=(const TCoolTrayIcon&) = delete;

  // Tooltip: `Hint` cut to 127 characters while `ShowHint` is on, nothing otherwise.
  void SetHint(const std::string& hint);
  void SetShowHint(bool showHint);
  // Null or empty: the application's icon.
  void SetIcon(const platform::Picture* picture);
  void SetPopupMenu(std::function<platform::MenuModel()> entries, platform::MenuChoice onChosen);
  void ShowIcon();
  void HideIcon();
  void SetIconVisible(bool visible) { visible ? ShowIcon() : HideIcon(); }
  bool IconVisible() const { return visible_; }

  // Title cut to 63 and text to 255 characters; kind 0 none, 1 information, 2 warning, 3 error
  // (anything else: none); the time-out in seconds is passed in milliseconds (negative: 0).
  void ShowBalloonHint(const std::string& title, const std::string& text, int kind, int timeoutSeconds);
  void HideBalloonHint();

  // The tooltip text the platform is given.
  std::string TipText() const;
  static platform::Balloon MakeBalloon(const std::string& title, const std::string& text, int kind,
                                       int timeoutSeconds);

 private:
  platform::TrayIcon& Icon();
  void RefreshTip();

  platform::Platform& platform_;
  std::unique_ptr<platform::TrayIcon> icon_;
  std::string hint_;
  bool showHint_ = true;
  bool visible_ = false;
};

}  // namespace kpf::desktop
