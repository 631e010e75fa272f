#pragma once
// Programs the player starts (Platform::StartProcess): each runs on its own, with its standard
// input from /dev/null, in the working folder it was given; the player only asks whether it still
// runs (so that it can bound how many run at once).
#include <string>
#include <vector>

namespace kpf::platform {

struct ProcessStart {
  std::string program;  // a path, never searched for
  std::vector<std::string> arguments;
  std::string workingFolder;  // "" = the player's own
  bool operator==(const ProcessStart&) const = default;
};

class ChildProcess {
 public:
  virtual ~ChildProcess() = default;
  // False once the program has ended.
  virtual bool Running() = 0;
};

}  // namespace kpf::platform
