#pragma once
// The command that opens a document or address with the desktop's default handler: xdg-open with
// the target as its single argument, run without a shell so that no character of the target is
// ever interpreted.
#include <string>
#include <vector>

namespace kpf::platform::gtk {

// Empty for an empty target (nothing to open). A target that starts with "-" would be taken for
// an option, so it is given as a relative path ("./-name").
std::vector<std::string> ShellOpenArgv(const std::string& target);

}  // namespace kpf::platform::gtk
