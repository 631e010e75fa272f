#pragma once
// A program started with posix_spawn: an argument vector (no shell), standard input from
// /dev/null, its own working folder, default signal handling. Whether it still runs is asked
// with waitpid, which also reaps it once it has ended.
#include <sys/types.h>

#include <memory>

#include "platform/ChildProcess.hpp"

namespace kpf::platform::gtk {

class SpawnedProcess : public ChildProcess {
 public:
  // Null when the program could not be started.
  static std::shared_ptr<SpawnedProcess> Start(const ProcessStart& start);
  explicit SpawnedProcess(pid_t pid) : pid_(pid) {}
  ~SpawnedProcess() override;
  bool Running() override;

 private:
  pid_t pid_;
  bool ended_ = false;
};

}  // namespace kpf::platform::gtk
