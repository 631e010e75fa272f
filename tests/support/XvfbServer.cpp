#include "XvfbServer.hpp"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <vector>

#include "ChildProcess.hpp"

extern char** environ;

namespace kpf::support {

namespace {
constexpr int kStartTimeoutMs = 20000;
}  // namespace

std::optional<std::string> XvfbServer::Start(const std::string& geometry, Root root, std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "cannot make a pipe";
    return std::nullopt;
  }
  std::vector<std::string> arguments = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", geometry,
                                        "-nolisten", "tcp", root == Root::White ? "-wr" : "-br", "-noreset"};
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
  for (char c = 0; poll(&readable, 1, kStartTimeoutMs) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
  close(fds[0]);
  if (number.empty()) {
    Stop();
    error = "Xvfb did not report a display";
    return std::nullopt;
  }
  return ":" + number;
}

void XvfbServer::Stop() { EndChild(pid_); }

}  // namespace kpf::support
