#include "platform/scaled/ScaledPlatform.hpp"

#include "platform/scaled/ScaledDialogWindow.hpp"
#include "platform/scaled/ScaledHintWindow.hpp"
#include "platform/scaled/ScaledPopupMenu.hpp"
#include "platform/scaled/ScaledWindow.hpp"

namespace kpf::platform::scaled {

ScaledPlatform::ScaledPlatform(Platform& inner, int scale, int toolkitScale)
    : inner_(inner), scale_(scale), dialogScale_(scale, toolkitScale) {}

std::vector<DesktopWindow> ScaledPlatform::WindowsFromForeground() {
  std::vector<DesktopWindow> windows = inner_.WindowsFromForeground();
  for (DesktopWindow& window : windows) window.rect = scale_.Down(window.rect);
  return windows;
}

MonitorLayout ScaledPlatform::Monitors() {
  MonitorLayout layout = inner_.Monitors();
  for (Monitor& monitor : layout.monitors) {
    monitor.rect = scale_.Down(monitor.rect);
    monitor.workArea = scale_.Down(monitor.workArea);
  }
  return layout;
}

std::optional<DesktopWindow> ScaledPlatform::ForegroundWindow() {
  std::optional<DesktopWindow> window = inner_.ForegroundWindow();
  if (window) window->rect = scale_.Down(window->rect);
  return window;
}

std::optional<Rect> ScaledPlatform::TaskbarRect() {
  const std::optional<Rect> taskbar = inner_.TaskbarRect();
  if (!taskbar) return std::nullopt;
  return scale_.Down(*taskbar);
}

std::unique_ptr<NativeWindow> ScaledPlatform::CreateWindow() {
  return std::make_unique<ScaledWindow>(inner_.CreateWindow(), scale_);
}

std::unique_ptr<DialogWindow> ScaledPlatform::CreateDialogWindow() {
  std::unique_ptr<DialogWindow> window = inner_.CreateDialogWindow();
  if (!window || dialogScale_.Identity()) return window;
  return std::make_unique<ScaledDialogWindow>(std::move(window), dialogScale_);
}

std::unique_ptr<PopupMenu> ScaledPlatform::CreatePopupMenu() {
  return std::make_unique<ScaledPopupMenu>(inner_.CreatePopupMenu(), scale_);
}

std::unique_ptr<HintWindow> ScaledPlatform::CreateHintWindow() {
  return std::make_unique<ScaledHintWindow>(inner_.CreateHintWindow(), scale_);
}

void ScaledPlatform::RegisterCursor(int number, const CursorImage& image) {
  CursorImage scaled{scale_.Up(image.picture), scale_.Up(image.hotSpotX), scale_.Up(image.hotSpotY)};
  inner_.RegisterCursor(number, scaled);
}

ScreenSaverServices* ScaledPlatform::ScreenSaver() {
  ScreenSaverServices* services = inner_.ScreenSaver();
  if (services == nullptr) return nullptr;
  if (!screenSaver_) screenSaver_.emplace(*services, scale_);
  return &*screenSaver_;
}

}  // namespace kpf::platform::scaled
