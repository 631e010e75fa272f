#pragma once
// Which monitor a character lives on. The screen of the scripts (SCREEN_WIDTH, the taskbar
// variables) is the primary monitor; a character's own movement (random start positions, the
// screen edges its move modes stop or turn at) uses the monitor it lives on: the primary until
// it is dragged or put onto another one, and the primary again once its monitor is gone.
#include <optional>

#include "platform/Platform.hpp"

namespace kpf::engine {

class PlayerScreens {
 public:
  // How a character's window came to where it is.
  enum class Move {
    Step,  // its animation's own movement: it keeps its monitor even while leaving it
    Drag,  // the user drags it: it goes with the monitor that shows most of it
    Place  // a script or a new animation put it there: the monitor that holds it whole
  };

  explicit PlayerScreens(platform::Platform& platform) : platform_(platform) {}

  // Reads the monitors again. The housekeeping tick calls it; between ticks every question is
  // answered from that reading, so a moving character asks the display nothing per frame.
  void Refresh();

  // The monitor the character lives on.
  platform::Monitor Home();
  void Moved(const platform::Rect& window, Move how);
  // Where a window at `window` goes so a monitor shows it (platform::PlacedOnMonitor).
  platform::Point Placed(const platform::Rect& window);
  // True once after the character's monitor went away (or changed its size): it lives on the
  // primary again, and `window` should move onto it; then the corner to move it to.
  std::optional<platform::Point> HomeLost(const platform::Rect& window);
  // True once after the monitors changed since the last call (the first call only looks).
  bool LayoutChanged();
  // After a change: where a window that a monitor showed before it and none shows now goes on
  // the primary; none for a window still shown, or one that no monitor showed before either
  // (put off the screen on purpose).
  std::optional<platform::Point> Rescued(const platform::Rect& window) const;

 private:
  const platform::MonitorLayout& Current();

  platform::Platform& platform_;
  // The monitors as the last Refresh read them.
  std::optional<platform::MonitorLayout> current_;
  // The rectangle of the monitor the character lives on, once it is known.
  std::optional<platform::Rect> home_;
  // The layout LayoutChanged saw last, and the one before it.
  std::optional<platform::MonitorLayout> seen_;
  std::optional<platform::MonitorLayout> before_;
};

}  // namespace kpf::engine
