#include "platform/gtk/GtkPlatform.hpp"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/gtk/GdkScale.hpp"
#include "platform/gtk/GtkAboutBox.hpp"
#include "platform/gtk/GtkCursorTable.hpp"
#include "platform/gtk/GtkDialogWindow.hpp"
#include "platform/gtk/GtkHintWindow.hpp"
#include "platform/gtk/GtkMessageBox.hpp"
#include "platform/gtk/GtkNativeWindow.hpp"
#include "platform/gtk/GtkPopupMenu.hpp"
#include "platform/gtk/GtkTimer.hpp"
#include "platform/gtk/GtkTrayIcon.hpp"
#include "platform/gtk/ShellOpenCommand.hpp"
#include "platform/gtk/SoundOutputProbe.hpp"
#include "platform/gtk/SpawnedProcess.hpp"

namespace kpf::platform::gtk {

GtkPlatform::GtkPlatform() {
  setenv("GDK_BACKEND", "x11", 1);
  // Everything is drawn with cairo in software; without this GDK probes GLX at start, which on
  // machines without a GPU maps the whole software rasteriser (about 50 MB) for nothing.
  setenv("GDK_GL", "disable", 0);
  if (!gtk_init_check(nullptr, nullptr)) throw std::runtime_error("Cannot open the X display");
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) throw std::runtime_error("The display is not an X11 display");
  loop_ = std::make_unique<GtkEventLoop>();
  desktop_ = std::make_unique<X11Desktop>(GDK_DISPLAY_XDISPLAY(display));
  monitors_ = std::make_unique<X11Monitors>(GDK_DISPLAY_XDISPLAY(display), *desktop_);
  screenSaver_ = std::make_unique<GtkScreenSaver>(GDK_DISPLAY_XDISPLAY(display), *loop_);
  application_ = std::make_unique<GtkApplicationWindows>(*loop_);
}

GtkPlatform::~GtkPlatform() {
  for (const unsigned source : signalSources_) g_source_remove(source);
}

void GtkPlatform::QuitOnTerminationSignals() {
  if (!signalSources_.empty()) return;
  for (const int signal : {SIGTERM, SIGINT}) {
    signalSources_.push_back(g_unix_signal_add(
        signal,
        [](void* loop) -> gboolean {
          static_cast<GtkEventLoop*>(loop)->Quit(0);
          return G_SOURCE_CONTINUE;
        },
        loop_.get()));
  }
}

std::unique_ptr<Timer> GtkPlatform::CreateTimer() {
  return std::make_unique<GtkTimer>();
}

LocalTime GtkPlatform::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min,         local.tm_sec,     local.tm_wday + 1};
}

bool GtkPlatform::HasWaveOut() { return HasSoundOutput(CurrentSoundEnvironment()); }

void GtkPlatform::WarpPointer(Point to) {
  GdkDisplay* display = gdk_display_get_default();
  GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
  if (pointer == nullptr) return;
  // GDK multiplies the point by its window scale again.
  const int scale = GdkWindowScale();
  gdk_device_warp(pointer, gdk_display_get_default_screen(display), ToGdk(ClampToWindowSystem(to.x), scale),
                  ToGdk(ClampToWindowSystem(to.y), scale));
  gdk_display_flush(display);
}

std::unique_ptr<NativeWindow> GtkPlatform::CreateWindow() {
  auto window = std::make_unique<GtkNativeWindow>();
  GtkApplicationWindows* application = application_.get();
  window->SetOnIconified([application](bool iconified) { application->WindowIconified(iconified); });
  return window;
}

std::unique_ptr<DialogWindow> GtkPlatform::CreateDialogWindow() { return std::make_unique<GtkDialogWindow>(); }

MessageBoxResult GtkPlatform::MessageBox(const std::string& text, const std::string& caption, MessageBoxIcon icon,
                                         MessageBoxButtons buttons) {
  return RunMessageBox(text, caption, icon, buttons, [this] { return loop_->Terminating(); });
}

int GtkPlatform::ShowMessageDialog(const MessageDialogRequest& request, MessageDialogCloser& closer) {
  return RunMessageDialog(request, closer, [this] { return loop_->Terminating(); });
}

namespace {

// Runs argv[0] with the arguments as one vector (no shell). GLib forks twice here, so the
// program is never left as a zombie of ours.
bool SpawnDetached(const std::vector<std::string>& arguments, GSpawnFlags flags) {
  if (arguments.empty() || arguments.front().empty()) return false;
  std::vector<gchar*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<gchar*>(argument.c_str()));
  argv.push_back(nullptr);
  GError* error = nullptr;
  const gboolean started = g_spawn_async(nullptr, argv.data(), nullptr, flags, nullptr, nullptr, nullptr, &error);
  if (error != nullptr) g_error_free(error);
  return started != FALSE;
}

}  // namespace

bool GtkPlatform::ShellOpen(const std::string& target) {
  return SpawnDetached(ShellOpenArgv(target), G_SPAWN_SEARCH_PATH);
}

bool GtkPlatform::StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> call{program};
  call.insert(call.end(), arguments.begin(), arguments.end());
  return SpawnDetached(call, G_SPAWN_DEFAULT);
}

std::shared_ptr<ChildProcess> GtkPlatform::StartProcess(const ProcessStart& start) {
  return SpawnedProcess::Start(start);
}

void GtkPlatform::SetApplicationMinimised(bool minimised) { application_->SetMinimised(minimised); }

void GtkPlatform::SetOnApplicationMinimised(std::function<void(bool)> handler) {
  application_->SetOnChanged(std::move(handler));
}

std::unique_ptr<PopupMenu> GtkPlatform::CreatePopupMenu() { return std::make_unique<GtkPopupMenu>(); }

std::unique_ptr<HintWindow> GtkPlatform::CreateHintWindow() { return std::make_unique<GtkHintWindow>(); }

std::unique_ptr<TrayIcon> GtkPlatform::CreateTrayIcon() { return std::make_unique<GtkTrayIcon>(); }

std::string GtkPlatform::XResources() const {
  const char* resources = XResourceManagerString(GDK_DISPLAY_XDISPLAY(gdk_display_get_default()));
  return resources != nullptr ? resources : "";
}

int GtkPlatform::ToolkitScale() const { return GdkWindowScale(); }

void GtkPlatform::ShowAbout(const AboutInfo& info) { RunAboutBox(info); }

void GtkPlatform::RegisterCursor(int number, const CursorImage& image) { GtkCursorTable::Register(number, image); }

void GtkPlatform::UnregisterCursor(int number) { GtkCursorTable::Unregister(number); }

}  // namespace kpf::platform::gtk
