#include "desktop/TCoolTrayIcon.hpp"

#include <algorithm>
#include <utility>

namespace kpf::desktop {

TCoolTrayIcon::TCoolTrayIcon(platform::Platform& platform) : platform_(platform) {}

TCoolTrayIcon::~TCoolTrayIcon() {
  if (icon_) icon_->SetVisible(false);
}

platform::TrayIcon& TCoolTrayIcon::Icon() {
  if (!icon_) {
    icon_ = platform_.CreateTrayIcon();
    icon_->SetTooltip(TipText());
  }
  return *icon_;
}

std::string TCoolTrayIcon::TipText() const {
  if (hint_.empty() || !showHint_) return {};
  return hint_.substr(0, kMaxTrayTipLength);
}

void TCoolTrayIcon::RefreshTip() {
  if (icon_) icon_->SetTooltip(TipText());
}

void TCoolTrayIcon::SetHint(const std::string& hint) {
  hint_ = hint;
  RefreshTip();
}

void TCoolTrayIcon::SetShowHint(bool showHint) {
  showHint_ = showHint;
  RefreshTip();
}

void TCoolTrayIcon::SetIcon(const platform::Picture* picture) { Icon().SetPicture(picture); }

void TCoolTrayIcon::SetPopupMenu(std::function<platform::MenuModel()> entries, platform::MenuChoice onChosen) {
  Icon().SetMenu(std::move(entries), std::move(onChosen));
}

void TCoolTrayIcon::ShowIcon() {
  Icon().SetVisible(true);
  visible_ = true;
}

void TCoolTrayIcon::HideIcon() {
  if (icon_) icon_->SetVisible(false);
  visible_ = false;
}

platform::Balloon TCoolTrayIcon::MakeBalloon(const std::string& title, const std::string& text, int kind,
                                             int timeoutSeconds) {
  platform::Balloon balloon;
  balloon.title = title.substr(0, kMaxBalloonTitleLength);
  balloon.text = text.substr(0, kMaxBalloonTextLength);
  balloon.icon = kind >= 0 && kind <= 3 ? static_cast<platform::BalloonIcon>(kind) : platform::BalloonIcon::None;
  // Seconds from scripts fit a byte; the clamp keeps any other caller from overflowing.
  balloon.timeoutMs = std::clamp(timeoutSeconds, 0, 24 * 3600) * 1000;
  return balloon;
}

void TCoolTrayIcon::ShowBalloonHint(const std::string& title, const std::string& text, int kind,
                                    int timeoutSeconds) {
  Icon().ShowBalloon(MakeBalloon(title, text, kind, timeoutSeconds));
}

void TCoolTrayIcon::HideBalloonHint() {
  if (icon_) icon_->HideBalloon();
}

}  // namespace kpf::desktop
