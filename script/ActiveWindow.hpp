#pragma once
// The "active window" the ACTIVE_WINDOW_* system variables report.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::script {

// Caption of the players' hidden main window; the active-window search passes over it.
constexpr std::string_view kPlayerMainCaption = "$zimR_304152$";
constexpr int kMinimisedWindowLeft = -32000;

struct ActiveWindowInfo {
  uint64_t Id = 0;  // 0 when there is no active window
  platform::Rect Rect;  // all edges 0 when there is none
};

// A window the active-window search may take (and the attach rule of the engine may glue to):
// visible, normally shown, not the player's main window (title compared after trimming) and not
// of zero size.
bool CountsAsActiveWindow(const platform::DesktopWindow& window);

// The first window, from the foreground one downwards, that counts as active. Without one, the
// taskbar counts when it spans the screen from its left edge to its right edge (it has no id:
// Id stays 0). A minimised window (left -32000) gives no window. A window whose top is above 1
// is replaced by the strip from the work area's bottom down to the screen's bottom, across the
// work area's width.
ActiveWindowInfo FindActiveWindow(const std::vector<platform::DesktopWindow>& windowsFromForeground,
                                  const std::optional<platform::Rect>& taskbar,
                                  const platform::Rect& screen, const platform::Rect& workArea);

}  // namespace kpf::script
