#pragma once
// The arguments pack and convert share: one input, "-o OUT", "--package" and "--player PATH".
#include <optional>
#include <string>

#include "tools/kpftool/Command.hpp"

namespace kpf::tools {

struct OutputOptions {
  std::string input;  // the source folder (pack) or file (convert)
  std::string output;
  bool package = false;
  std::string player;
};

// None when an argument is unknown or the input or output is missing.
std::optional<OutputOptions> ParseOutputOptions(const Arguments& args);

}  // namespace kpf::tools
