#pragma once
// Names a running process uniquely over time: "<pid>-<start time>". The start time (in clock
// ticks since boot, from /proc) tells a live process from a later one that reuses the pid.
#include <string>
#include <sys/types.h>

namespace kpf::package {

// The tag of a process, or "" when it does not run.
std::string ProcessTag(pid_t pid);
std::string CurrentProcessTag();

// True when the process named by `tag` still runs (same pid, same start time). A tag that does
// not parse names no process.
bool IsProcessAlive(const std::string& tag);

}  // namespace kpf::package
