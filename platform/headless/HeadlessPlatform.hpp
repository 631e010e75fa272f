#pragma once
// A complete in-memory desktop for tests and tools: a virtual-time event loop and timers,
// settable desktop state, recording windows, scripted message boxes and a recorded shell.
// Everything is used from the loop thread (except EventLoop::Post/InvokeAndWait).
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.hpp"
#include "platform/headless/HeadlessDesktop.hpp"
#include "platform/headless/HeadlessDialogWindow.hpp"
#include "platform/headless/HeadlessEventLoop.hpp"
#include "platform/headless/HeadlessHintWindow.hpp"
#include "platform/headless/HeadlessPopupMenu.hpp"
#include "platform/headless/HeadlessScreenSaver.hpp"
#include "platform/headless/HeadlessScreen.hpp"
#include "platform/headless/HeadlessTrayIcon.hpp"
#include "platform/headless/HeadlessWindow.hpp"

namespace kpf::platform::headless {

struct MessageBoxCall {
  std::string text;
  std::string caption;
  platform::MessageBoxIcon icon = platform::MessageBoxIcon::None;
  platform::MessageBoxButtons buttons = platform::MessageBoxButtons::Ok;
};

// A box of ShowMessageDialog: what was asked, the answer, and when it came and went (virtual ms).
struct MessageDialogCall {
  platform::MessageDialogRequest request;
  int result = 0;
  int64_t shownAt = 0;
  int64_t endedAt = 0;
  bool endedByOwner = false;  // its closer ended it
};

class HeadlessPlatform : public platform::Platform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform() override;

  // Platform.
  platform::EventLoop& Loop() override { return loop_; }
  std::unique_ptr<platform::Timer> CreateTimer() override { return loop_.CreateTimer(); }
  // The start time plus the virtual clock; dayOfWeek is computed from the date.
  platform::LocalTime Now() override;
  platform::Rect ScreenRect() override { return Monitors().Primary().rect; }
  platform::Rect WorkArea() override { return Monitors().Primary().workArea; }
  platform::Point Pointer() override { return pointer_; }
  void WarpPointer(platform::Point to) override {
    pointer_ = to;
    ++pointerWarps_;
  }
  std::vector<platform::DesktopWindow> WindowsFromForeground() override { return desktopWindows_; }
  std::optional<platform::Rect> TaskbarRect() override { return taskbar_; }
  bool HasWaveOut() override { return hasWaveOut_; }
  platform::MonitorLayout Monitors() override;
  void SetOnMonitorsChanged(std::function<void()> handler) override { onMonitorsChanged_ = std::move(handler); }
  void ChooseScreenMonitor(std::optional<int> index) override { chosenMonitor_ = index; }
  std::unique_ptr<platform::NativeWindow> CreateWindow() override;
  std::unique_ptr<platform::DialogWindow> CreateDialogWindow() override;
  platform::MessageBoxResult MessageBox(const std::string& text, const std::string& caption,
                                        platform::MessageBoxIcon icon, platform::MessageBoxButtons buttons) override;
  bool ShellOpen(const std::string& target) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override;
  std::shared_ptr<platform::ChildProcess> StartProcess(const platform::ProcessStart& start) override;
  void SetApplicationMinimised(bool minimised) override;
  void SetOnApplicationMinimised(std::function<void(bool)> handler) override { onMinimised_ = std::move(handler); }
  int ShowMessageDialog(const platform::MessageDialogRequest& request, platform::MessageDialogCloser& closer) override;
  std::unique_ptr<platform::PopupMenu> CreatePopupMenu() override;
  std::unique_ptr<platform::HintWindow> CreateHintWindow() override;
  std::unique_ptr<platform::TrayIcon> CreateTrayIcon() override;
  void ShowAbout(const platform::AboutInfo& info) override;
  void RegisterCursor(int number, const platform::CursorImage& image) override { cursors_[number] = image; }
  void UnregisterCursor(int number) override { cursors_.erase(number); }
  platform::ScreenSaverServices* ScreenSaver() override { return &screenSaver_; }

  // Virtual clock (see HeadlessEventLoop).
  HeadlessEventLoop& VirtualLoop() { return loop_; }
  int64_t NowMs() const { return loop_.NowMs(); }
  void AdvanceBy(int64_t milliseconds) { loop_.AdvanceBy(milliseconds); }
  void AdvanceTo(int64_t time) { loop_.AdvanceTo(time); }
  void SetRunLimit(int64_t time) { loop_.SetRunLimit(time); }

  // Desktop state. Defaults: screen 0,0-1024,768; work area = screen; pointer 0,0; no windows;
  // no taskbar; wave output present; compositing screen; start time 2000-01-01 00:00:00.
  void SetScreenRect(const platform::Rect& rect) { screen_ = rect; }
  // Without an explicit work area the whole screen is the work area.
  void SetWorkArea(std::optional<platform::Rect> rect) { workArea_ = rect; }
  void SetPointer(const platform::Point& point) { pointer_ = point; }
  void SetWindowsFromForeground(std::vector<platform::DesktopWindow> windows) { desktopWindows_ = std::move(windows); }
  void SetTaskbarRect(std::optional<platform::Rect> rect) { taskbar_ = rect; }
  // Several monitors (the screen rectangle and work area are then the primary's); none: the one
  // monitor of SetScreenRect and SetWorkArea. The change is reported to the handler of
  // SetOnMonitorsChanged from the loop, as a hot-plug event would be.
  void SetMonitors(std::optional<platform::MonitorLayout> layout);
  std::optional<int> ChosenMonitor() const { return chosenMonitor_; }
  void SetHasWaveOut(bool present) { hasWaveOut_ = present; }
  void SetPerPixelAlpha(bool supported) { screenState_->perPixelAlpha = supported; }
  // Local time at virtual time 0 (its dayOfWeek is ignored).
  void SetStartTime(const platform::LocalTime& time) { startTime_ = time; }

  // Windows made by CreateWindow that still exist, in creation order.
  std::vector<HeadlessWindow*> Windows() const { return screenState_->windows; }
  // The most recently created window that still exists, or null.
  HeadlessWindow* LastWindow() const;

  // Message boxes (MessageBox and ShowMessageDialog): every call is recorded. Each box takes the
  // next queued answer; one queued for a later time keeps the box open, with the loop running,
  // until then (an owner that ends the box, or the end of the loop, answers the dismiss result
  // first). Without a queued answer the handler answers MessageBox when set; otherwise a box
  // answers its default button (MessageBox: the first, except that a question with Yes and No
  // answers No).
  void QueueMessageBoxAnswer(platform::MessageBoxResult answer) { QueueAnswer(static_cast<int>(answer), 0); }
  void QueueAnswer(int code, int64_t atMs) { answers_.push_back({code, atMs}); }
  void SetMessageBoxHandler(std::function<platform::MessageBoxResult(const MessageBoxCall&)> handler) {
    messageBoxHandler_ = std::move(handler);
  }
  const std::vector<MessageBoxCall>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<MessageDialogCall>& MessageDialogs() const { return messageDialogs_; }
  int PointerWarps() const { return pointerWarps_; }

  // Shell: targets are recorded; ShellOpen returns the set result (default true).
  void SetShellOpenResult(bool result) { shellOpenResult_ = result; }
  const std::vector<std::string>& OpenedTargets() const { return openedTargets_; }
  // Programs: every start is recorded as the program followed by its arguments; StartProgram
  // returns the shell-open result too.
  const std::vector<std::vector<std::string>>& StartedPrograms() const { return startedPrograms_; }
  // StartProcess: every start is recorded too (and in StartedPrograms); the processes run until
  // EndProcesses() or until this platform goes.
  const std::vector<platform::ProcessStart>& StartedProcesses() const { return startedProcesses_; }
  void EndProcesses() { processesRunning_ = std::make_shared<bool>(true); }

  // Last value given to SetApplicationMinimised (false before any call). A change is reported to
  // the handler of SetOnApplicationMinimised from the loop, as a window manager's report would be.
  bool ApplicationMinimised() const { return minimised_; }

  // Desktop services: the live popup menus, hint windows and tray icons (creation order, the
  // last one or null), the About boxes shown, and the registered cursors by number.
  const std::vector<HeadlessPopupMenu*>& PopupMenus() const { return desktop_->menus; }
  HeadlessPopupMenu* LastPopupMenu() const { return HeadlessDesktop::Last(desktop_->menus); }
  HeadlessHintWindow* LastHintWindow() const { return HeadlessDesktop::Last(desktop_->hints); }
  HeadlessTrayIcon* LastTrayIcon() const { return HeadlessDesktop::Last(desktop_->trays); }
  const std::vector<platform::AboutInfo>& AboutBoxes() const { return aboutBoxes_; }
  // The live dialog windows in creation order.
  const std::vector<HeadlessDialogWindow*>& DialogWindows() const { return desktop_->dialogs; }
  const std::map<int, platform::CursorImage>& Cursors() const { return cursors_; }
  // Screen-wide input, pointer readability, desktop repaints and foreign windows.
  HeadlessScreenSaver& ScreenSaverDesktop() { return screenSaver_; }

  // Trace hook: receives "message box: <caption>: <text>", "shell open: <target>",
  // "start program: <program> <argument>...", "minimised: 0|1" and "about: <title>" as the calls
  // happen.
  void SetEventRecorder(std::function<void(std::string)> recorder) { recorder_ = std::move(recorder); }

 private:
  void Trace(std::string event) const;
  struct Answer {
    int code = 0;
    int64_t at = 0;
  };
  // The next queued answer, once its time has come; none when the loop ended or `closer` ended
  // the box first (or nothing is queued).
  std::optional<int> NextAnswer(const platform::MessageDialogCloser* closer);

  HeadlessEventLoop loop_;
  std::shared_ptr<HeadlessScreen> screenState_ = std::make_shared<HeadlessScreen>();
  platform::Rect screen_{0, 0, 1024, 768};
  std::optional<platform::Rect> workArea_;
  platform::Point pointer_;
  std::vector<platform::DesktopWindow> desktopWindows_;
  std::optional<platform::Rect> taskbar_;
  std::optional<platform::MonitorLayout> monitors_;
  std::optional<int> chosenMonitor_;
  std::function<void()> onMonitorsChanged_;
  bool hasWaveOut_ = true;
  platform::LocalTime startTime_{2000, 1, 1, 0, 0, 0, 7};
  std::deque<Answer> answers_;
  std::function<platform::MessageBoxResult(const MessageBoxCall&)> messageBoxHandler_;
  std::vector<MessageBoxCall> messageBoxes_;
  std::vector<MessageDialogCall> messageDialogs_;
  int pointerWarps_ = 0;
  std::function<void(bool)> onMinimised_;
  bool shellOpenResult_ = true;
  std::vector<std::string> openedTargets_;
  std::vector<std::vector<std::string>> startedPrograms_;
  std::vector<platform::ProcessStart> startedProcesses_;
  // Processes started since the last EndProcesses run while this flag lives.
  std::shared_ptr<bool> processesRunning_ = std::make_shared<bool>(true);
  bool minimised_ = false;
  std::function<void(std::string)> recorder_;
  std::shared_ptr<HeadlessDesktop> desktop_ = std::make_shared<HeadlessDesktop>();
  std::vector<platform::AboutInfo> aboutBoxes_;
  std::map<int, platform::CursorImage> cursors_;
  HeadlessScreenSaver screenSaver_{loop_, [this] { return pointer_; }};
};

}  // namespace kpf::platform::headless
