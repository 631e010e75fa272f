#pragma once
// The real kpfplayer as a child process of a test: a copy of the program with a project in its
// package, started with arguments and an environment of the test's own, killed if it is still
// running when the test ends.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "AppTestProjects.hpp"

namespace kpf::app::testing {

// Polls `done` every 50 ms, `rounds` times at most (20 s by default).
template <typename Condition>
bool Soon(Condition done, int rounds = 400) {
  for (int round = 0; round < rounds && !done(); ++round) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return done();
}

// Writes an executable copy of kpfplayer at `path` carrying `source` (and `resources`) in its package.
inline void WritePackagedPlayer(const std::filesystem::path& path, const project::ProjectSource& source,
                                const std::vector<project::PackageRecord>& resources = {}) {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(source));
  WriteBytes(path, project::BuildPackage(ReadBytes(KPF_PLAYER_PATH), block, {"3.0", "about", "Click test", 0}, resources));
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

class PlayerProcess {
 public:
  // Standard output is dropped; standard error goes to `errorFile` when one is given.
  PlayerProcess(const std::filesystem::path& program, std::vector<std::string> arguments,
                std::vector<std::string> environment, const std::filesystem::path& errorFile = {}) {
    std::string path = program.string();
    std::vector<char*> argv{path.data()};
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (!errorFile.empty()) {
      posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~PlayerProcess() {
    if (pid_ > 0 && !status_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  PlayerProcess(const PlayerProcess&) = delete;
  PlayerProcess& operator=(const PlayerProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // True once the process has ended (its status is then kept).
  bool Ended() {
    int status = 0;
    if (!status_ && pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return status_.has_value();
  }
  // Waits (bounded) for the process to end; its exit status, or -1 when it did not end.
  int WaitForExit(int rounds = 400) {
    Soon([this] { return Ended(); }, rounds);
    return status_.value_or(-1);
  }
  void Signal(int number) {
    if (pid_ > 0 && !status_) kill(pid_, number);
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

}  // namespace kpf::app::testing
