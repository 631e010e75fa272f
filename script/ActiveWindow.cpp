#include "script/ActiveWindow.hpp"

namespace kpf::script {

namespace {

// Trims characters up to the space from both ends.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

}  // namespace

bool CountsAsActiveWindow(const platform::DesktopWindow& window) {
  return window.visible && Trimmed(window.title) != kPlayerMainCaption &&
         window.showState == platform::ShowState::Normal &&
         int64_t{window.rect.width()} + window.rect.height() > 0;
}

ActiveWindowInfo FindActiveWindow(const std::vector<platform::DesktopWindow>& windowsFromForeground,
                                  const std::optional<platform::Rect>& taskbar,
                                  const platform::Rect& screen, const platform::Rect& workArea) {
  ActiveWindowInfo found;
  bool any = false;
  for (const auto& window : windowsFromForeground) {
    if (!CountsAsActiveWindow(window)) continue;
    found = {window.id, window.rect};
    any = true;
    break;
  }
  if (!any && taskbar && taskbar->left == screen.left && taskbar->right == screen.right) {
    found = {0, *taskbar};
    any = true;
  }
  if (!any || found.Rect.left == kMinimisedWindowLeft) return {};
  if (found.Rect.top < 1)
    found.Rect = {workArea.left, workArea.bottom, workArea.right, screen.bottom};
  return found;
}

}  // namespace kpf::script
