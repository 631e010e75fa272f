#pragma once
// What the headless windows share with their platform: the list of live windows (in creation
// order) and whether the screen composites. Shared so windows may outlive the platform.
#include <algorithm>
#include <cstdint>
#include <vector>

namespace kpf::platform::headless {

class HeadlessWindow;

struct HeadlessScreen {
  std::vector<HeadlessWindow*> windows;
  uint64_t nextWindowId = 1;
  bool perPixelAlpha = true;

  void Remove(const HeadlessWindow* window) { std::erase(windows, window); }
};

}  // namespace kpf::platform::headless
