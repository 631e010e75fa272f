#include "desktop/TCoolTrayIcon.hpp"

#include <algorithm>
#include <string_view>
#include <utility>

namespace kpf::desktop {

namespace {

// Whether `text` is well-formed UTF-8 (shape of the sequences only).
bool LooksLikeUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace

std::string CutText(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t end = maxBytes;
  // A text that is UTF-8 is cut between characters, so what is left stays UTF-8 (and is shown as
  // such rather than as 8-bit text).
  if (LooksLikeUtf8(text)) {
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  }
  return text.substr(0, end);
}

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
  return CutText(hint_, kMaxTrayTipLength);
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
  balloon.title = CutText(title, kMaxBalloonTitleLength);
  balloon.text = CutText(text, kMaxBalloonTextLength);
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
