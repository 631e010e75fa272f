#pragma once
// Plays a package or project file headless on the virtual clock, with scripted input, and hands
// the engine's trace lines to a sink. Shared by `kpftool run` and the golden-trace tests.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tools/kpftool/Command.hpp"

namespace kpf::tools {

struct RunInput {
  enum class Kind { Click, DoubleClick, Drag, Key, Menu } kind = Kind::Click;
  int64_t at = 0;  // virtual ms
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // screen coordinates
  int code = 0;
  std::string caption;
};

// The answer to the next message box (or question) shown at or after virtual time `at`.
struct RunAnswer {
  int code = 0;
  int64_t at = 0;
};

struct RunOptions {
  std::string file;
  int64_t seconds = 10;
  uint32_t seed = 0;
  int screenWidth = 1024;
  int screenHeight = 768;
  bool trace = false;
  // In time order, one per box; a box without one answers its first button (a yes/no question:
  // No).
  std::vector<RunAnswer> answers = {};
  std::vector<RunInput> inputs;
};

// Parses the arguments of `kpftool run`; throws std::invalid_argument with a message.
RunOptions ParseRunArguments(const Arguments& args);

// Runs the file; every trace line goes to `sink`. Returns the exit code.
int RunHeadless(const RunOptions& options, const std::function<void(const std::string&)>& sink);

}  // namespace kpf::tools
