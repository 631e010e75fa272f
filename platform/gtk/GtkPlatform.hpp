#pragma once
// The Linux desktop backend: GTK 3 on X11 (through XWayland on a Wayland session). Everything it
// does runs on the thread that made it, which becomes the user-interface thread.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.hpp"
#include "platform/gtk/GtkApplicationWindows.hpp"
#include "platform/gtk/GtkEventLoop.hpp"
#include "platform/gtk/GtkScreenSaver.hpp"
#include "platform/gtk/X11Desktop.hpp"
#include "platform/gtk/X11Monitors.hpp"

namespace kpf::platform::gtk {

class GtkPlatform : public platform::Platform {
 public:
  // Opens the X display (GDK_BACKEND is forced to x11: the character needs absolute window
  // positions, which Wayland does not give). Throws std::runtime_error when no X display can be
  // opened. Timers are sources of the loop itself (GtkTimer).
  GtkPlatform();
  ~GtkPlatform() override;
  GtkPlatform(const GtkPlatform&) = delete;
  GtkPlatform& operator=(const GtkPlatform&) = delete;

  EventLoop& Loop() override { return *loop_; }
  // From now on SIGTERM and SIGINT end the loop with exit code 0. GLib's signal sources wake the
  // loop only when a signal comes; nothing polls for it.
  void QuitOnTerminationSignals();
  std::unique_ptr<Timer> CreateTimer() override;
  LocalTime Now() override;

  // The primary monitor's (X11Monitors): with several monitors its work area is what the docks'
  // struts leave of it, with one the window manager's _NET_WORKAREA.
  Rect ScreenRect() override { return monitors_->Layout().Primary().rect; }
  Rect WorkArea() override { return monitors_->Layout().Primary().workArea; }
  Point Pointer() override { return desktop_->Pointer(); }
  // gdk_device_warp of the seat's pointer (positions clamped to what X can carry).
  void WarpPointer(Point to) override;
  std::vector<DesktopWindow> WindowsFromForeground() override { return desktop_->WindowsFromForeground(); }
  std::optional<DesktopWindow> ForegroundWindow() override { return desktop_->ForegroundWindow(); }
  // The first dock on the primary monitor.
  std::optional<Rect> TaskbarRect() override { return desktop_->TaskbarRect(ScreenRect()); }
  MonitorLayout Monitors() override { return monitors_->Layout(); }
  void SetOnMonitorsChanged(std::function<void()> handler) override { monitors_->SetOnChanged(std::move(handler)); }
  void ChooseScreenMonitor(std::optional<int> index) override { monitors_->Choose(index); }
  // True with a PulseAudio/PipeWire server or an ALSA playback device (see SoundOutputProbe).
  bool HasWaveOut() override;

  std::unique_ptr<NativeWindow> CreateWindow() override;
  // A GTK top-level with the controls on a GtkFixed (GtkDialogWindow).
  std::unique_ptr<DialogWindow> CreateDialogWindow() override;

  MessageBoxResult MessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                              MessageBoxButtons buttons) override;
  // A GtkMessageDialog (GtkMessageBox.hpp); the end of the loop ends it too.
  int ShowMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer) override;
  // Starts xdg-open with the target as its only argument; false when it cannot be started.
  bool ShellOpen(const std::string& target) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override;
  std::shared_ptr<ChildProcess> StartProcess(const ProcessStart& start) override;
  // The application's windows go and come back together (GtkApplicationWindows).
  void SetApplicationMinimised(bool minimised) override;
  void SetOnApplicationMinimised(std::function<void(bool)> handler) override;

  // GtkMenu at the given point (GtkPopupMenu).
  std::unique_ptr<PopupMenu> CreatePopupMenu() override;
  // Bubble painted with cairo and Pango, shaped like the character window (GtkHintWindow).
  std::unique_ptr<HintWindow> CreateHintWindow() override;
  // StatusNotifier item where a host runs, else an XEmbed icon; balloons through libnotify.
  std::unique_ptr<TrayIcon> CreateTrayIcon() override;
  // A small modal GTK dialog (GtkAboutBox).
  void ShowAbout(const AboutInfo& info) override;
  // Cursors made with gdk_cursor_new_from_surface, kept in the process-wide table that the
  // windows' SetCursor reads (GtkCursorTable).
  void RegisterCursor(int number, const CursorImage& image) override;
  void UnregisterCursor(int number) override;
  // The X resources (RESOURCE_MANAGER) as the server had them when the display was opened.
  std::string XResources() const;
  // How many times GDK enlarges its own windows (GdkScale.hpp): menus, message boxes and dialogs
  // come out that much larger without our doing.
  int ToolkitScale() const;

  // XInput 2 raw events, the root's repaint and other programs' windows (GtkScreenSaver).
  ScreenSaverServices* ScreenSaver() override { return screenSaver_.get(); }

 private:
  std::unique_ptr<GtkEventLoop> loop_;
  std::unique_ptr<X11Desktop> desktop_;
  std::unique_ptr<X11Monitors> monitors_;
  std::unique_ptr<GtkScreenSaver> screenSaver_;
  std::unique_ptr<GtkApplicationWindows> application_;
  std::vector<unsigned> signalSources_;
};

}  // namespace kpf::platform::gtk
