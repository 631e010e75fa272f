#pragma once
// The one porting interface: every service of the desktop the player uses. The core never
// includes a backend; a backend implements this class (headless for tests and tools, gtk for the
// Linux desktop).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ChildProcess.hpp"
#include "platform/DesktopServices.hpp"
#include "platform/DialogWindow.hpp"
#include "platform/EventLoop.hpp"
#include "platform/HintWindow.hpp"
#include "platform/MessageDialog.hpp"
#include "platform/MonitorLayout.hpp"
#include "platform/NativeWindow.hpp"
#include "platform/PopupMenu.hpp"
#include "platform/ScreenSaverServices.hpp"
#include "platform/Timer.hpp"
#include "platform/TrayIcon.hpp"
#include "platform/Types.hpp"

namespace kpf::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // Loop, clock and timers.
  virtual EventLoop& Loop() = 0;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
  virtual LocalTime Now() = 0;

  // Desktop queries. The screen, its work area and the taskbar are those of the primary monitor
  // (see Monitors).
  virtual Rect ScreenRect() = 0;
  virtual Rect WorkArea() = 0;
  virtual Point Pointer() = 0;
  // Moves the mouse pointer to the screen point.
  virtual void WarpPointer(Point to) = 0;
  // Top-level windows from the foreground (active) one downwards in stacking order.
  virtual std::vector<DesktopWindow> WindowsFromForeground() = 0;
  // The active window alone (the first of WindowsFromForeground when it is active), cheaper to
  // ask for on every housekeeping tick; none when no window is active. A backend may leave its
  // title and show state out.
  virtual std::optional<DesktopWindow> ForegroundWindow() {
    std::vector<DesktopWindow> windows = WindowsFromForeground();
    if (windows.empty() || !windows.front().active) return std::nullopt;
    return std::move(windows.front());
  }
  // The panel/taskbar window, when the desktop has one.
  virtual std::optional<Rect> TaskbarRect() = 0;
  virtual bool HasWaveOut() = 0;

  // Monitors. Every monitor of the desktop, never none; its primary is ScreenRect's. A desktop
  // that knows of one screen only has that one monitor.
  virtual MonitorLayout Monitors() { return SingleMonitor(ScreenRect(), WorkArea()); }
  // Told from the event loop after monitors came, went or changed; one handler, null: none.
  virtual void SetOnMonitorsChanged(std::function<void()> handler) { (void)handler; }
  // Monitor `index` (in the order of Monitors) counts as the screen while it exists; none: the
  // desktop's own primary monitor.
  virtual void ChooseScreenMonitor(std::optional<int> index) { (void)index; }

  // Windows.
  virtual std::unique_ptr<NativeWindow> CreateWindow() = 0;
  // A hidden project dialog window without controls.
  virtual std::unique_ptr<DialogWindow> CreateDialogWindow() = 0;

  // Services.
  virtual MessageBoxResult MessageBox(const std::string& text, const std::string& caption,
                                      MessageBoxIcon icon, MessageBoxButtons buttons) = 0;
  // Opens a document or address with the desktop's default handler; false when it cannot.
  virtual bool ShellOpen(const std::string& target) = 0;
  // Starts `program` (a path, not searched for) with the arguments as they stand: no shell ever
  // reads them. Does not wait for it; false when it could not be started.
  virtual bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) = 0;
  // Starts a program with an argument vector (no shell), its standard input from /dev/null, in
  // the given working folder; null when it could not be started.
  virtual std::shared_ptr<ChildProcess> StartProcess(const ProcessStart& start) = 0;
  virtual void SetApplicationMinimised(bool minimised) = 0;
  // Told from the event loop whenever the application becomes minimised (true) or is restored
  // (false), by SetApplicationMinimised or by the window manager; one handler, null: none.
  virtual void SetOnApplicationMinimised(std::function<void(bool minimised)> handler) = 0;
  // Shows the box (MessageDialog.hpp) until it is answered or `closer` ends it; the answer, or
  // the request's dismiss result.
  virtual int ShowMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer) = 0;

  // Desktop integration: popup menus, the speech-hint window, the notification-area icon, the
  // modal About box, and custom cursors that NativeWindow::SetCursor(number) selects.
  virtual std::unique_ptr<PopupMenu> CreatePopupMenu() = 0;
  virtual std::unique_ptr<HintWindow> CreateHintWindow() = 0;
  virtual std::unique_ptr<TrayIcon> CreateTrayIcon() = 0;
  virtual void ShowAbout(const AboutInfo& info) = 0;
  // Numbers from 1 up; registering a number again replaces its cursor. Unknown numbers (and 0)
  // show the default pointer.
  virtual void RegisterCursor(int number, const CursorImage& image) = 0;
  virtual void UnregisterCursor(int number) = 0;

  // Screen-wide input, the desktop repaint and other programs' windows; null where the desktop
  // offers none of them.
  virtual ScreenSaverServices* ScreenSaver() { return nullptr; }
};

}  // namespace kpf::platform
