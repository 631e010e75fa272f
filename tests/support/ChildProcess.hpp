#pragma once
// Ends a helper program the tests started (an X server, a window manager) and waits for it.
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

namespace kpf::support {

inline void EndChild(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  pid = -1;
}

}  // namespace kpf::support
