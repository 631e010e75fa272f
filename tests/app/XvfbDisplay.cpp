#include "XvfbDisplay.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace kpf::app::testing {

std::optional<std::string> XvfbDisplay::Start(std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "cannot make a pipe";
    return std::nullopt;
  }
  std::string fd = std::to_string(fds[1]);
  const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                        "-wr", "-noreset", nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) pid_ = -1;
  // Xvfb writes the display number and a newline once it accepts connections (20 s at most).
  std::string number;
  pollfd readable{fds[0], POLLIN, 0};
  for (char c = 0; spawned == 0 && poll(&readable, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
  close(fds[0]);
  if (!number.empty()) return ":" + number;
  Stop();
  error = spawned != 0 ? "Xvfb is not installed (or cannot be started)" : "Xvfb did not report a display";
  return std::nullopt;
}

void XvfbDisplay::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace kpf::app::testing
