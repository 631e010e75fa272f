#pragma once
// A tray icon that records its tooltip, picture, visibility and balloons, and lets tests
// right-click it (which pops up its menu on the platform's recording popup menu).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/TrayIcon.hpp"
#include "platform/headless/HeadlessDesktop.hpp"

namespace kpf::platform::headless {

class HeadlessTrayIcon : public platform::TrayIcon {
 public:
  explicit HeadlessTrayIcon(std::shared_ptr<HeadlessDesktop> desktop);
  ~HeadlessTrayIcon() override;
  HeadlessTrayIcon(const HeadlessTrayIcon&) = delete;
  HeadlessTrayIcon& operator=(const HeadlessTrayIcon&) = delete;

  void SetTooltip(const std::string& text) override { tooltip_ = text; }
  void SetPicture(const platform::Picture* picture) override;
  void SetMenu(std::function<platform::MenuModel()> entries, platform::MenuChoice onChosen) override;
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void ShowBalloon(const platform::Balloon& balloon) override { balloons_.push_back(balloon); balloonShown_ = true; }
  void HideBalloon() override { balloonShown_ = false; ++balloonHides_; }

  const std::string& Tooltip() const { return tooltip_; }
  // Empty while the application's icon shows.
  const platform::Picture& Picture() const { return picture_; }
  const std::vector<platform::Balloon>& Balloons() const { return balloons_; }
  bool BalloonShown() const { return balloonShown_; }
  int BalloonHides() const { return balloonHides_; }
  // The menu a right click would show now (empty without a menu).
  platform::MenuModel CurrentMenu() const { return entries_ ? entries_() : platform::MenuModel{}; }
  // Reports a choice as the menu of a right click would; false when no menu is set.
  bool ChooseFromMenu(int id) const;

 private:
  std::shared_ptr<HeadlessDesktop> desktop_;
  std::string tooltip_;
  platform::Picture picture_;
  std::function<platform::MenuModel()> entries_;
  platform::MenuChoice onChosen_;
  bool visible_ = false;
  std::vector<platform::Balloon> balloons_;
  bool balloonShown_ = false;
  int balloonHides_ = 0;
};

}  // namespace kpf::platform::headless
