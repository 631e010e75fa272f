#include "package/ProcessTag.hpp"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <sstream>

namespace kpf::package {

namespace {

// Field 22 of /proc/<pid>/stat; the fields are counted after the command name, which is in
// parentheses and may itself hold spaces.
std::string StartTime(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  if (!in) return {};
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  size_t close = stat.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int index = 3; index <= 22; ++index)
    if (!(fields >> field)) return {};
  return field;
}

}  // namespace

std::string ProcessTag(pid_t pid) {
  std::string start = StartTime(pid);
  if (start.empty()) return {};
  return std::to_string(pid) + "-" + start;
}

std::string CurrentProcessTag() { return ProcessTag(::getpid()); }

bool IsProcessAlive(const std::string& tag) {
  size_t dash = tag.find('-');
  if (dash == std::string::npos || dash == 0) return false;
  pid_t pid = 0;
  auto [end, error] = std::from_chars(tag.data(), tag.data() + dash, pid);
  if (error != std::errc() || end != tag.data() + dash || pid <= 0) return false;
  if (::kill(pid, 0) != 0 && errno == ESRCH) return false;
  // Without a readable start time the process is taken as alive: keeping a file too long is
  // harmless, deleting a running player's file is not.
  std::string current = ProcessTag(pid);
  return current.empty() || current == tag;
}

}  // namespace kpf::package
