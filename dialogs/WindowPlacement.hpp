#pragma once
// Where a dialog window goes for each TFormPosition. Positions 0 to 7 are the desktop's own
// placements; 8 to 16 put the window against the taskbar, the top or the bottom of the screen,
// on the left, in the middle or on the right.
#include <optional>

#include "dialogs/DialogTypes.hpp"
#include "platform/Types.hpp"

namespace kpf::dialogs {

struct DesktopGeometry {
  platform::Rect screen;
  platform::Rect workArea;  // the screen without the taskbar
  // The window the main-form and owner-form centre positions centre on (the character window);
  // without one they centre on the screen.
  std::optional<platform::Rect> owner;
};

// The outer top-left corner for a window of `width` × `height` (its outer size, or its client
// size when it has no border); nullopt leaves the place to the window manager. The bottom-of-
// screen positions use the screen's bottom edge, the above-taskbar ones the work area's.
std::optional<platform::Point> PlaceDialog(TFormPosition position, platform::Point designed, int width, int height,
                                           const DesktopGeometry& desktop);

}  // namespace kpf::dialogs
