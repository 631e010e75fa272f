#pragma once
// What the headless desktop services share with their platform: the live popup menus, hint
// windows and tray icons in creation order. Shared so the objects may outlive the platform.
#include <algorithm>
#include <vector>

namespace kpf::platform::headless {

class HeadlessPopupMenu;
class HeadlessHintWindow;
class HeadlessTrayIcon;

struct HeadlessDesktop {
  std::vector<HeadlessPopupMenu*> menus;
  std::vector<HeadlessHintWindow*> hints;
  std::vector<HeadlessTrayIcon*> trays;

  template <typename T>
  static T* Last(const std::vector<T*>& list) {
    return list.empty() ? nullptr : list.back();
  }
};

}  // namespace kpf::platform::headless
