#include "WindowManager.hpp"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "ChildProcess.hpp"

extern char** environ;

namespace kpf::support {

namespace {

constexpr int kStartRounds = 800;  // of 25 ms: 20 s for a loaded machine
constexpr useconds_t kRoundMicroseconds = 25000;

// The manager's check window, once it has set one up on the root.
bool ManagerRuns(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long remaining = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                        &format, &count, &remaining, &data) == Success &&
                     data != nullptr && count == 1;
  if (data != nullptr) XFree(data);
  return found;
}

}  // namespace

bool WindowManager::Start(const std::string& display, std::string& error) {
  std::vector<std::string> environment{"DISPLAY=" + display};
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("DISPLAY=", 0) != 0) environment.emplace_back(*entry);
  }
  std::vector<char*> envp;
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> arguments = {"openbox", "--sm-disable"};
  std::vector<char*> argv;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "openbox", &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = -1;
    error = "openbox is not installed (scripts/setup installs it)";
    return false;
  }
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr) {
    Stop();
    error = "cannot open the test display";
    return false;
  }
  bool running = false;
  for (int round = 0; round < kStartRounds && !running; ++round) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      break;
    }
    running = ManagerRuns(connection);
    if (!running) usleep(kRoundMicroseconds);
  }
  XCloseDisplay(connection);
  if (!running) {
    Stop();
    error = "openbox did not take the display";
  }
  return running;
}

void WindowManager::Stop() { EndChild(pid_); }

}  // namespace kpf::support
