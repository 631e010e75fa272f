#include "tools/kpftool/OutputOptions.hpp"

namespace kpf::tools {

std::optional<OutputOptions> ParseOutputOptions(const Arguments& args) {
  OutputOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "-o" || arg == "--player") && i + 1 < args.size()) {
      (arg == "-o" ? options.output : options.player) = args[++i];
    } else if (arg == "--package") {
      options.package = true;
    } else if (!arg.empty() && arg[0] != '-' && options.input.empty()) {
      options.input = arg;
    } else {
      return std::nullopt;
    }
  }
  if (options.input.empty() || options.output.empty()) return std::nullopt;
  return options;
}

}  // namespace kpf::tools
