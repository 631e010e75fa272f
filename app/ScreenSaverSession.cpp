#include "app/ScreenSaverSession.hpp"

#include <cstdlib>
#include <filesystem>

#include "app/ScreenSaverPreview.hpp"
#include "app/XScreenSaverPreferences.hpp"

namespace kpf::app {

namespace {

namespace fs = std::filesystem;

// A link's own path when the program was started through one (its name may carry ".scr").
std::string AbsoluteInvokedPath(std::string_view invokedName, const std::string& executablePath) {
  if (invokedName.find('/') == std::string_view::npos) return executablePath;
  std::error_code error;
  const fs::path absolute = fs::absolute(fs::path(std::string(invokedName)), error);
  return error ? executablePath : absolute.lexically_normal().string();
}

}  // namespace

ScreenSaverSession::ScreenSaverSession(std::string_view invokedName, std::string executablePath,
                                       std::vector<std::string> arguments)
    : arguments_(std::move(arguments)),
      start_(DecideStart(invokedName, executablePath, arguments_)),
      invokedPath_(AbsoluteInvokedPath(invokedName, executablePath)) {}

std::vector<std::string> ScreenSaverSession::PlayerArguments() const {
  switch (start_.role) {
    case StartRole::Player: return arguments_;
    case StartRole::Hosted: return WithoutDaemonArguments(arguments_);
    case StartRole::Install:
    case StartRole::ScreenSaver:
    case StartRole::Preview: return {};
  }
  return {};
}

bool ScreenSaverSession::TakeSingleInstance(const std::string& folder) {
  if (start_.role != StartRole::ScreenSaver && start_.role != StartRole::Preview) return true;
  lock_ = SingleInstanceLock::Take(folder);
  // A folder that cannot be used safely locks nothing; the screen saver still runs.
  return lock_->Result() != SingleInstanceLock::Outcome::TakenByOther;
}

std::optional<int> ScreenSaverSession::RunWithoutForm(platform::Platform& desktop,
                                                      std::unique_ptr<HostedPlatform>& hosted) {
  switch (start_.role) {
    case StartRole::Install: return Install(desktop);
    case StartRole::Preview: {
      platform::ScreenSaverServices* services = desktop.ScreenSaver();
      if (services != nullptr && start_.window) PaintPreview(*services, *start_.window);
      return 0;
    }
    case StartRole::Hosted: return OpenHost(desktop, hosted);
    case StartRole::Player:
    case StartRole::ScreenSaver: return std::nullopt;
  }
  return std::nullopt;
}

int ScreenSaverSession::Install(platform::Platform& desktop) {
  if (InstallScreenSaver(PreferencesPath(), invokedPath_)) return 0;
  desktop.MessageBox(kInstallFailedMessage, kScreenSaverTitle, platform::MessageBoxIcon::Error,
                     platform::MessageBoxButtons::Ok);
  return 1;
}

std::optional<int> ScreenSaverSession::OpenHost(platform::Platform& desktop,
                                                std::unique_ptr<HostedPlatform>& hosted) {
  platform::ScreenSaverServices* services = desktop.ScreenSaver();
  if (services == nullptr) return 1;
  std::optional<uint64_t> id = start_.window;
  if (start_.onScreenWindow) {
    const char* named = std::getenv(kDaemonWindowVariable);
    id = named != nullptr ? ParseWindowId(named) : std::nullopt;
    if (!id) id = services->ScreenWindowId();
  }
  if (!id) return 1;
  std::unique_ptr<platform::ForeignWindow> host = services->OpenForeignWindow(*id, kHostWaitMs);
  if (!host || host->Width() <= 0 || host->Height() <= 0) return 1;
  hosted = std::make_unique<HostedPlatform>(desktop, std::move(host));
  // The daemon destroys its window when it is done; nothing is left to play in.
  hosted->Screen().OnHostGone = [&desktop] { desktop.Loop().Quit(0); };
  return std::nullopt;
}

std::optional<engine::ScreenSaverMode> ScreenSaverSession::PlayerMode() const {
  if (start_.role != StartRole::ScreenSaver) return std::nullopt;
  return start_.mode;
}

}  // namespace kpf::app
