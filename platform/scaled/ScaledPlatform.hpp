#pragma once
// The desktop in character pixels: the engine and scripts see the screen, work area, taskbar,
// pointer and other programs' windows of the platform below divided by the scale, and what they
// place is multiplied by it. Character windows, bubbles and cursors are drawn that many times as
// large, pixel by pixel, so pixel art stays crisp.
//
// Project dialogs are real toolkit windows: a toolkit that scales its windows itself (GDK's
// window scale) already enlarges them, so they are given only what is left, scale / toolkit
// scale. Message boxes, the About box and the menu's look are the toolkit's alone.
#include <memory>
#include <optional>

#include "platform/Platform.hpp"
#include "platform/scaled/PixelScale.hpp"
#include "platform/scaled/ScaledScreenSaver.hpp"

namespace kpf::platform::scaled {

class ScaledPlatform : public Platform {
 public:
  // `scale`: platform pixels per character pixel (1..kMaxScale); `toolkitScale`: how many times
  // the toolkit enlarges its own windows (1..kMaxScale).
  ScaledPlatform(Platform& inner, int scale, int toolkitScale = 1);

  const PixelScale& Scale() const { return scale_; }
  const PixelScale& DialogScale() const { return dialogScale_; }

  EventLoop& Loop() override { return inner_.Loop(); }
  std::unique_ptr<Timer> CreateTimer() override { return inner_.CreateTimer(); }
  LocalTime Now() override { return inner_.Now(); }
  Rect ScreenRect() override { return scale_.Down(inner_.ScreenRect()); }
  Rect WorkArea() override { return scale_.Down(inner_.WorkArea()); }
  Point Pointer() override { return scale_.Down(inner_.Pointer()); }
  void WarpPointer(Point to) override { inner_.WarpPointer(scale_.Up(to)); }
  std::vector<DesktopWindow> WindowsFromForeground() override;
  std::optional<DesktopWindow> ForegroundWindow() override;
  std::optional<Rect> TaskbarRect() override;
  bool HasWaveOut() override { return inner_.HasWaveOut(); }
  MonitorLayout Monitors() override;
  void SetOnMonitorsChanged(std::function<void()> handler) override { inner_.SetOnMonitorsChanged(std::move(handler)); }
  void ChooseScreenMonitor(std::optional<int> index) override { inner_.ChooseScreenMonitor(index); }
  std::unique_ptr<NativeWindow> CreateWindow() override;
  std::unique_ptr<DialogWindow> CreateDialogWindow() override;
  MessageBoxResult MessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                              MessageBoxButtons buttons) override {
    return inner_.MessageBox(text, caption, icon, buttons);
  }
  bool ShellOpen(const std::string& target) override { return inner_.ShellOpen(target); }
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override {
    return inner_.StartProgram(program, arguments);
  }
  std::shared_ptr<ChildProcess> StartProcess(const ProcessStart& start) override { return inner_.StartProcess(start); }
  void SetApplicationMinimised(bool minimised) override { inner_.SetApplicationMinimised(minimised); }
  void SetOnApplicationMinimised(std::function<void(bool minimised)> handler) override {
    inner_.SetOnApplicationMinimised(std::move(handler));
  }
  int ShowMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer) override {
    return inner_.ShowMessageDialog(request, closer);
  }
  std::unique_ptr<PopupMenu> CreatePopupMenu() override;
  std::unique_ptr<HintWindow> CreateHintWindow() override;
  std::unique_ptr<TrayIcon> CreateTrayIcon() override { return inner_.CreateTrayIcon(); }
  void ShowAbout(const AboutInfo& info) override { inner_.ShowAbout(info); }
  void RegisterCursor(int number, const CursorImage& image) override;
  void UnregisterCursor(int number) override { inner_.UnregisterCursor(number); }
  ScreenSaverServices* ScreenSaver() override;

 private:
  Platform& inner_;
  PixelScale scale_;
  PixelScale dialogScale_;
  std::optional<ScaledScreenSaver> screenSaver_;
};

}  // namespace kpf::platform::scaled
