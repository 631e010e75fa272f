// kpftool run: plays a package or project file headless on a virtual clock.
#include <cstdio>
#include <stdexcept>

#include "tools/kpftool/Command.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::tools {

int RunRun(const Arguments& args) {
  RunOptions options;
  try {
    options = ParseRunArguments(args);
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "kpftool run: %s\n", error.what());
    return 2;
  }
  return RunHeadless(options, [](const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
  });
}

}  // namespace kpf::tools
