#pragma once
// The desktop as a character sees it inside another program's window: the screen and work area
// are that window's size, windows are HostedWindows composited into it, no other program's
// windows or panel exist there, and there is no notification area (a screen saver that is
// started again and again would flash icons there). Everything else is the real desktop's.
#include <memory>

#include "app/HostedScreen.hpp"
#include "platform/Platform.hpp"

namespace kpf::app {

class HostedPlatform : public platform::Platform {
 public:
  HostedPlatform(platform::Platform& desktop, std::unique_ptr<platform::ForeignWindow> host);

  HostedScreen& Screen() { return screen_; }

  platform::EventLoop& Loop() override { return desktop_.Loop(); }
  std::unique_ptr<platform::Timer> CreateTimer() override { return desktop_.CreateTimer(); }
  platform::LocalTime Now() override { return desktop_.Now(); }
  platform::Rect ScreenRect() override { return {0, 0, screen_.Width(), screen_.Height()}; }
  platform::Rect WorkArea() override { return ScreenRect(); }
  // In the host window's coordinates.
  platform::Point Pointer() override;
  void WarpPointer(platform::Point to) override;
  std::vector<platform::DesktopWindow> WindowsFromForeground() override { return {}; }
  std::optional<platform::Rect> TaskbarRect() override { return std::nullopt; }
  bool HasWaveOut() override { return desktop_.HasWaveOut(); }
  std::unique_ptr<platform::NativeWindow> CreateWindow() override;
  // Project dialogs (a saver's settings) are ordinary top-levels of the real desktop.
  std::unique_ptr<platform::DialogWindow> CreateDialogWindow() override { return desktop_.CreateDialogWindow(); }
  platform::MessageBoxResult MessageBox(const std::string& text, const std::string& caption,
                                        platform::MessageBoxIcon icon, platform::MessageBoxButtons buttons) override {
    return desktop_.MessageBox(text, caption, icon, buttons);
  }
  bool ShellOpen(const std::string& target) override { return desktop_.ShellOpen(target); }
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override {
    return desktop_.StartProgram(program, arguments);
  }
  std::shared_ptr<platform::ChildProcess> StartProcess(const platform::ProcessStart& start) override {
    return desktop_.StartProcess(start);
  }
  void SetApplicationMinimised(bool) override {}
  void SetOnApplicationMinimised(std::function<void(bool minimised)> handler) override {
    desktop_.SetOnApplicationMinimised(std::move(handler));
  }
  int ShowMessageDialog(const platform::MessageDialogRequest& request, platform::MessageDialogCloser& closer) override {
    return desktop_.ShowMessageDialog(request, closer);
  }
  std::unique_ptr<platform::PopupMenu> CreatePopupMenu() override { return desktop_.CreatePopupMenu(); }
  std::unique_ptr<platform::HintWindow> CreateHintWindow() override { return desktop_.CreateHintWindow(); }
  std::unique_ptr<platform::TrayIcon> CreateTrayIcon() override;
  void ShowAbout(const platform::AboutInfo& info) override { desktop_.ShowAbout(info); }
  void RegisterCursor(int number, const platform::CursorImage& image) override { desktop_.RegisterCursor(number, image); }
  void UnregisterCursor(int number) override { desktop_.UnregisterCursor(number); }
  // None: the program that owns the window watches the input and repaints the screen.
  platform::ScreenSaverServices* ScreenSaver() override { return nullptr; }

 private:
  platform::Platform& desktop_;
  HostedScreen screen_;
};

}  // namespace kpf::app
