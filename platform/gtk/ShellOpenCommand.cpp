#include "platform/gtk/ShellOpenCommand.hpp"

namespace kpf::platform::gtk {

std::vector<std::string> ShellOpenArgv(const std::string& target) {
  if (target.empty()) return {};
  if (target.front() == '-') return {"xdg-open", "./" + target};
  return {"xdg-open", target};
}

}  // namespace kpf::platform::gtk
