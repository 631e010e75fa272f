#include "platform/headless/HeadlessPlatform.hpp"

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

HeadlessWindow* HeadlessPlatform::LastWindow() const {
  return screenState_->windows.empty() ? nullptr : screenState_->windows.back();
}

platform::MessageBoxResult HeadlessPlatform::MessageBox(const std::string& text, const std::string& caption,
                                                        platform::MessageBoxIcon icon,
                                                        platform::MessageBoxButtons buttons) {
  MessageBoxCall call{text, caption, icon, buttons};
  messageBoxes_.push_back(call);
  Trace("message box: " + caption + ": " + text);
  if (!answers_.empty()) {
    const platform::MessageBoxResult answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  if (messageBoxHandler_) return messageBoxHandler_(call);
  return platform::MessageBoxResult::Ok;
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
  minimised_ = minimised;
  Trace(minimised ? "minimised: 1" : "minimised: 0");
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
