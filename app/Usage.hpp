#pragma once
// The texts of kpfplayer's own switches: the usage (every switch the program knows) and the
// version line.
#include <string>

namespace kpf::app {

std::string UsageText();
std::string VersionText();

}  // namespace kpf::app
