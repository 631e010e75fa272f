#include "platform/gtk/SpawnedProcess.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <vector>

extern char** environ;

namespace kpf::platform::gtk {

namespace {

// Frees the spawn attributes and file actions when the start is over.
struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  SpawnSetup() {
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
  }
  ~SpawnSetup() {
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

std::shared_ptr<SpawnedProcess> SpawnedProcess::Start(const ProcessStart& start) {
  if (start.program.empty()) return nullptr;
  SpawnSetup setup;
  posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
  if (!start.workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&setup.actions, start.workingFolder.c_str());
  // The toolkit may block or ignore signals; the program starts with the defaults.
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&setup.attributes, &none);
  posix_spawnattr_setsigdefault(&setup.attributes, &all);
  posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv{const_cast<char*>(start.program.c_str())};
  for (const std::string& argument : start.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, start.program.c_str(), &setup.actions, &setup.attributes, argv.data(), environ) != 0) {
    return nullptr;
  }
  return std::make_shared<SpawnedProcess>(pid);
}

SpawnedProcess::~SpawnedProcess() {
  // An ended program is reaped; one still running goes on as the system's child when we end.
  Running();
}

bool SpawnedProcess::Running() {
  if (ended_) return false;
  int status = 0;
  const pid_t result = ::waitpid(pid_, &status, WNOHANG);
  if (result == 0) return true;
  ended_ = true;
  return false;
}

}  // namespace kpf::platform::gtk
