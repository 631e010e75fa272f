#pragma once
// File names of named-file records. A name is relative to the resource folder and uses
// backslashes between folders; anything that could leave that folder is refused.
#include <string>
#include <string_view>
#include <vector>

namespace kpf::package {

struct ResourceName {
  std::vector<std::string> Components;  // folders, then the file name
  std::string Problem;                  // why the name is refused; empty when it is accepted

  bool Valid() const { return Problem.empty(); }
};

// Splits a stored name at backslashes (and slashes, which the original platform treats the
// same way). Refused: empty names, absolute paths, drive or stream names (any ':'), empty
// components, "." and "..", and NUL or other control characters.
ResourceName SplitResourceName(std::string_view name);

}  // namespace kpf::package
