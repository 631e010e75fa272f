#include "platform/headless/HeadlessPlatform.hpp"

#include <algorithm>
#include <chrono>
#include <utility>

namespace kpf::platform::headless {
namespace {

constexpr int64_t kMsPerSecond = 1000;
constexpr int64_t kSecondsPerDay = 86400;

// Floor division, so times before the start (negative offsets) land on the previous day.
int64_t FloorDiv(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

HeadlessPlatform::HeadlessPlatform() = default;
HeadlessPlatform::~HeadlessPlatform() = default;

platform::LocalTime HeadlessPlatform::Now() {
  using namespace std::chrono;
  const sys_days startDay = year_month_day{year{startTime_.year}, month{static_cast<unsigned>(startTime_.month)},
                                           day{static_cast<unsigned>(startTime_.day)}};
  const int64_t startSecond =
      startTime_.hour * int64_t{3600} + startTime_.minute * int64_t{60} + startTime_.second;
  const int64_t totalSeconds = startSecond + FloorDiv(loop_.NowMs(), kMsPerSecond);
  const int64_t dayOffset = FloorDiv(totalSeconds, kSecondsPerDay);
  const int64_t secondOfDay = totalSeconds - dayOffset * kSecondsPerDay;

  const sys_days today = startDay + days{dayOffset};
  const year_month_day date{today};
  platform::LocalTime result;
  result.year = static_cast<int>(date.year());
  result.month = static_cast<int>(static_cast<unsigned>(date.month()));
  result.day = static_cast<int>(static_cast<unsigned>(date.day()));
  result.hour = static_cast<int>(secondOfDay / 3600);
  result.minute = static_cast<int>(secondOfDay / 60 % 60);
  result.second = static_cast<int>(secondOfDay % 60);
  result.dayOfWeek = static_cast<int>(weekday{today}.c_encoding()) + 1;  // Sunday = 1
  return result;
}

std::unique_ptr<platform::NativeWindow> HeadlessPlatform::CreateWindow() {
  return std::make_unique<HeadlessWindow>(screenState_);
}

std::unique_ptr<platform::DialogWindow> HeadlessPlatform::CreateDialogWindow() {
  return std::make_unique<HeadlessDialogWindow>(desktop_);
}

HeadlessWindow* HeadlessPlatform::LastWindow() const {
  return screenState_->windows.empty() ? nullptr : screenState_->windows.back();
}

std::optional<int> HeadlessPlatform::NextAnswer(const platform::MessageDialogCloser* closer) {
  if (answers_.empty()) return std::nullopt;
  const Answer answer = answers_.front();
  answers_.pop_front();
  // The loop runs while the box is open, in slices, so that an owner ending it is seen at once.
  constexpr int64_t kSliceMs = 10;
  const auto ended = [&] { return loop_.Terminating() || (closer != nullptr && closer->Closed()); };
  while (loop_.NowMs() < answer.at && !ended()) loop_.AdvanceBy(std::min(answer.at - loop_.NowMs(), kSliceMs));
  if (ended()) return std::nullopt;
  return answer.code;
}

platform::MessageBoxResult HeadlessPlatform::MessageBox(const std::string& text, const std::string& caption,
                                                        platform::MessageBoxIcon icon,
                                                        platform::MessageBoxButtons buttons) {
  MessageBoxCall call{text, caption, icon, buttons};
  messageBoxes_.push_back(call);
  Trace("message box: " + caption + ": " + text);
  const bool question = buttons == platform::MessageBoxButtons::YesNo || buttons == platform::MessageBoxButtons::YesNoCancel;
  const auto fallback = question ? platform::MessageBoxResult::No : platform::MessageBoxResult::Ok;
  if (!answers_.empty()) return static_cast<platform::MessageBoxResult>(NextAnswer(nullptr).value_or(static_cast<int>(fallback)));
  if (messageBoxHandler_) return messageBoxHandler_(call);
  return fallback;
}

int HeadlessPlatform::ShowMessageDialog(const platform::MessageDialogRequest& request,
                                        platform::MessageDialogCloser& closer) {
  MessageDialogCall call{request, request.dismissResult, loop_.NowMs(), loop_.NowMs(), false};
  std::string shown = "message dialog: " + request.caption + ": " + request.text + " [";
  for (size_t i = 0; i < request.buttons.size(); ++i) shown += (i > 0 ? "|" : "") + request.buttons[i].label;
  Trace(shown + "]");
  if (!closer.Closed()) {
    if (!answers_.empty()) {
      call.result = NextAnswer(&closer).value_or(request.dismissResult);
    } else if (!request.buttons.empty()) {
      call.result = request.buttons[std::min(request.defaultButton, request.buttons.size() - 1)].result;
    }
  }
  call.endedByOwner = closer.Closed();
  if (call.endedByOwner) call.result = request.dismissResult;
  call.endedAt = loop_.NowMs();
  messageDialogs_.push_back(call);
  return call.result;
}

bool HeadlessPlatform::ShellOpen(const std::string& target) {
  openedTargets_.push_back(target);
  Trace("shell open: " + target);
  return shellOpenResult_;
}

namespace {

// Runs for as long as the platform's current flag of running processes lives.
class HeadlessChildProcess : public platform::ChildProcess {
 public:
  explicit HeadlessChildProcess(std::weak_ptr<bool> running) : running_(std::move(running)) {}
  bool Running() override { return !running_.expired(); }

 private:
  std::weak_ptr<bool> running_;
};

}  // namespace

std::shared_ptr<platform::ChildProcess> HeadlessPlatform::StartProcess(const platform::ProcessStart& start) {
  startedProcesses_.push_back(start);
  if (!StartProgram(start.program, start.arguments)) return nullptr;
  return std::make_shared<HeadlessChildProcess>(processesRunning_);
}

bool HeadlessPlatform::StartProgram(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> call{program};
  call.insert(call.end(), arguments.begin(), arguments.end());
  std::string event = "start program:";
  for (const std::string& part : call) event += " " + part;
  startedPrograms_.push_back(std::move(call));
  Trace(std::move(event));
  return shellOpenResult_;
}

void HeadlessPlatform::SetApplicationMinimised(bool minimised) {
  const bool changed = minimised != minimised_;
  minimised_ = minimised;
  Trace(minimised ? "minimised: 1" : "minimised: 0");
  if (!changed) return;
  loop_.Post([this, minimised] {
    if (onMinimised_) onMinimised_(minimised);
  });
}

platform::MonitorLayout HeadlessPlatform::Monitors() {
  if (!monitors_ || monitors_->monitors.empty()) return platform::SingleMonitor(screen_, workArea_.value_or(screen_));
  platform::MonitorLayout layout = *monitors_;
  if (layout.primary >= layout.monitors.size()) layout.primary = 0;
  return platform::WithChosenPrimary(std::move(layout), chosenMonitor_);
}

void HeadlessPlatform::SetMonitors(std::optional<platform::MonitorLayout> layout) {
  monitors_ = std::move(layout);
  loop_.Post([this] {
    if (onMonitorsChanged_) onMonitorsChanged_();
  });
}

std::unique_ptr<platform::PopupMenu> HeadlessPlatform::CreatePopupMenu() {
  return std::make_unique<HeadlessPopupMenu>(desktop_);
}

std::unique_ptr<platform::HintWindow> HeadlessPlatform::CreateHintWindow() {
  return std::make_unique<HeadlessHintWindow>(desktop_);
}

std::unique_ptr<platform::TrayIcon> HeadlessPlatform::CreateTrayIcon() {
  return std::make_unique<HeadlessTrayIcon>(desktop_);
}

void HeadlessPlatform::ShowAbout(const platform::AboutInfo& info) {
  aboutBoxes_.push_back(info);
  Trace("about: " + info.title);
}

void HeadlessPlatform::Trace(std::string event) const {
  if (recorder_) recorder_(std::move(event));
}

}  // namespace kpf::platform::headless
