#include "XvfbServer.hpp"

#include <gdk/gdk.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdlib>
#include <stdexcept>
#include <vector>

extern char** environ;

// GTK, fontconfig and friends keep process-lifetime caches that the leak checker would report.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgtk-3\nleak:libgdk-3\nleak:libglib-2.0\nleak:libgobject-2.0\nleak:libgio-2.0\n"
         "leak:libfontconfig\nleak:libpango\nleak:libcairo\nleak:libX11\nleak:libatk\nleak:libatk-bridge\n"
         "leak:libdbus\nleak:libharfbuzz\nleak:libpixman\nleak:libgdk_pixbuf\nleak:libepoxy\n";
}

namespace kpf::platform::gtk::testing {

namespace {

constexpr int kStartTimeoutMs = 20000;

struct Shared {
  XvfbServer server;
  std::string display;
  std::string error;
  std::unique_ptr<GtkPlatform> platform;
  bool started = false;
};

Shared& State() {
  static Shared shared;
  return shared;
}

void StartShared() {
  Shared& shared = State();
  if (shared.started) return;
  shared.started = true;
  const auto display = shared.server.Start(shared.error);
  if (!display) return;
  shared.display = *display;
  setenv("DISPLAY", display->c_str(), 1);
  try {
    shared.platform = std::make_unique<GtkPlatform>();
  } catch (const std::exception& failure) {
    shared.error = failure.what();
  }
}

// Ends the windows before the server goes; GDK then makes no further X calls in this process.
class SharedTeardown : public ::testing::Environment {
 public:
  void TearDown() override {
    Shared& shared = State();
    if (shared.platform) {
      shared.platform.reset();
      // Events still queued are handled now; nothing reads from the server after this.
      while (g_main_context_iteration(nullptr, FALSE)) {
      }
    }
    shared.server.Stop();
  }
};

[[maybe_unused]] ::testing::Environment* const teardown = ::testing::AddGlobalTestEnvironment(new SharedTeardown);

}  // namespace

std::optional<std::string> XvfbServer::Start(std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "cannot make a pipe";
    return std::nullopt;
  }
  const std::string writeFd = std::to_string(fds[1]);
  std::vector<std::string> arguments = {"Xvfb", "-displayfd", writeFd, "-screen", "0", "800x600x24",
                                        "-nolisten", "tcp", "-br", "-noreset"};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    pid_ = -1;
    error = "Xvfb is not installed (or cannot be started)";
    return std::nullopt;
  }
  // Xvfb writes the display number and a newline once it accepts connections.
  std::string number;
  pollfd readable{fds[0], POLLIN, 0};
  while (poll(&readable, 1, kStartTimeoutMs) > 0) {
    char c = 0;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    Stop();
    error = "Xvfb did not report a display";
    return std::nullopt;
  }
  return ":" + number;
}

void XvfbServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

GtkPlatform* SharedPlatform() {
  StartShared();
  return State().platform.get();
}

const std::string& SharedPlatformError() { return State().error; }

const std::string& SharedDisplayName() { return State().display; }

}  // namespace kpf::platform::gtk::testing
