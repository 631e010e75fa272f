#pragma once
// What the headless desktop services share with their platform: the live popup menus, hint
// windows, tray icons and dialog windows in creation order. Shared so the objects may outlive the platform.
#include <algorithm>
#include <vector>

namespace kpf::platform::headless {

class HeadlessPopupMenu;
class HeadlessHintWindow;
class HeadlessTrayIcon;
class HeadlessDialogWindow;

struct HeadlessDesktop {
  std::vector<HeadlessPopupMenu*> menus;
  std::vector<HeadlessHintWindow*> hints;
  std::vector<HeadlessTrayIcon*> trays;
  std::vector<HeadlessDialogWindow*> dialogs;

  template <typename T>
  static T* Last(const std::vector<T*>& list) {
    return list.empty() ? nullptr : list.back();
  }
};

}  // namespace kpf::platform::headless
