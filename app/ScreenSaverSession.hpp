#pragma once
// The start of the screen-saver roles, around the ordinary start of the main program: the role
// from the name and the arguments, the single-instance lock, the roles that make no main form
// ("-INSTALL", the preview) and the window a hosted character plays in.
#include <memory>
#include <optional>
#include <vector>
#include <string>
#include <string_view>

#include "app/ApplicationTitles.hpp"
#include "app/HostedPlatform.hpp"
#include "app/ScreenSaverCommandLine.hpp"
#include "app/SingleInstanceLock.hpp"
#include "platform/Platform.hpp"

namespace kpf::app {

inline constexpr const char* kInstallFailedMessage = "Cannot set as default Screen Saver";
// How long a hosted character waits for its host window to be shown.
inline constexpr int kHostWaitMs = 10000;
// Environment variable in which a screen-saver daemon names the window of "-root".
inline constexpr const char* kDaemonWindowVariable = "XSCREENSAVER_WINDOW";

class ScreenSaverSession {
 public:
  // `invokedName` is argv[0], `executablePath` the running file.
  ScreenSaverSession(std::string_view invokedName, std::string executablePath, std::vector<std::string> arguments);

  const ScreenSaverStart& Start() const { return start_; }
  // The arguments the player reads: none in the screen-saver roles (their one argument is the
  // mode), the others without the daemon's "-root", "-window-id", "-geometry" and "-fps".
  std::vector<std::string> PlayerArguments() const;
  // The screen saver and its preview run once per user: false when another one holds the lock
  // in `folder`, and this process is to end at once, silently. Other roles take no lock.
  bool TakeSingleInstance(const std::string& folder);
  // With the display open: the roles without a main form end here with their exit status
  // (install: 0, or 1 after the failure message; preview: 0), as does a hosted start whose
  // window cannot be used (1). None: go on with the main form, which plays on `hosted` when it
  // was set (the desktop inside the host window; it must go before `desktop`), else on `desktop`.
  std::optional<int> RunWithoutForm(platform::Platform& desktop, std::unique_ptr<HostedPlatform>& hosted);
  // The players' screen-saver mode; none in the other roles.
  std::optional<engine::ScreenSaverMode> PlayerMode() const;
  // The path the preferences entry names: the name it was started by, made absolute.
  const std::string& InvokedPath() const { return invokedPath_; }

 private:
  int Install(platform::Platform& desktop);
  std::optional<int> OpenHost(platform::Platform& desktop, std::unique_ptr<HostedPlatform>& hosted);

  std::vector<std::string> arguments_;
  ScreenSaverStart start_;
  std::string invokedPath_;
  std::optional<SingleInstanceLock> lock_;
};

}  // namespace kpf::app
