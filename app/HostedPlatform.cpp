#include "app/HostedPlatform.hpp"

#include "app/HostedWindow.hpp"

namespace kpf::app {

namespace {

// Accepts everything and shows nothing.
class AbsentTrayIcon : public platform::TrayIcon {
 public:
  void SetTooltip(const std::string&) override {}
  void SetPicture(const platform::Picture*) override {}
  void SetMenu(std::function<platform::MenuModel()>, platform::MenuChoice) override {}
  void SetVisible(bool visible) override { visible_ = visible; }
  bool Visible() const override { return visible_; }
  void ShowBalloon(const platform::Balloon&) override {}
  void HideBalloon() override {}

 private:
  bool visible_ = false;
};

}  // namespace

HostedPlatform::HostedPlatform(platform::Platform& desktop, std::unique_ptr<platform::ForeignWindow> host)
    : desktop_(desktop), screen_(desktop.Loop(), std::move(host)) {}

platform::Point HostedPlatform::Pointer() {
  const platform::Point pointer = desktop_.Pointer();
  const platform::Point origin = screen_.Origin();
  return {pointer.x - origin.x, pointer.y - origin.y};
}

void HostedPlatform::WarpPointer(platform::Point to) {
  const platform::Point origin = screen_.Origin();
  desktop_.WarpPointer({to.x + origin.x, to.y + origin.y});
}

std::unique_ptr<platform::NativeWindow> HostedPlatform::CreateWindow() { return screen_.CreateWindow(); }

std::unique_ptr<platform::TrayIcon> HostedPlatform::CreateTrayIcon() { return std::make_unique<AbsentTrayIcon>(); }

}  // namespace kpf::app
