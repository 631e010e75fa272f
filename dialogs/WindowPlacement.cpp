#include "dialogs/WindowPlacement.hpp"

#include <cstdint>

namespace kpf::dialogs {

namespace {

using P = TFormPosition;

int Centre(int start, int extent, int size) {
  return static_cast<int>(start + (int64_t{extent} - size) / 2);
}

platform::Point CentreOn(const platform::Rect& area, int width, int height) {
  return {Centre(area.left, area.width(), width), Centre(area.top, area.height(), height)};
}

// Left edge of positions 8 to 16: on the left, in the middle or on the right of the screen.
int EdgeLeft(P position, const platform::Rect& screen, int width) {
  const int column = (static_cast<int>(position) - static_cast<int>(P::fpoAboveTaskbarLeft)) % 3;
  if (column == 0) return screen.left;
  if (column == 1) return Centre(screen.left, screen.width(), width);
  return static_cast<int>(screen.left + int64_t{screen.width()} - width);
}

}  // namespace

std::optional<platform::Point> PlaceDialog(TFormPosition position, platform::Point designed, int width, int height,
                                           const DesktopGeometry& desktop) {
  switch (position) {
    case P::fpoDesigned:
    case P::fpoDefaultSizeOnly: return designed;
    case P::fpoDefault:
    case P::fpoDefaultPosOnly: return std::nullopt;
    case P::fpoScreenCenter:
    case P::fpoDesktopCenter: return CentreOn(desktop.screen, width, height);
    case P::fpoMainFormCenter:
    case P::fpoOwnerFormCenter: return CentreOn(desktop.owner.value_or(desktop.screen), width, height);
    case P::fpoAboveTaskbarLeft:
    case P::fpoAboveTaskBarCenter:
    case P::fpoAboveTaskbarRight:
      return platform::Point{EdgeLeft(position, desktop.screen, width),
                             static_cast<int>(int64_t{desktop.workArea.bottom} - height)};
    case P::fpoTopLeftScreen:
    case P::fpoTopCenterScreen:
    case P::fpoTopRightScreen: return platform::Point{EdgeLeft(position, desktop.screen, width), desktop.screen.top};
    case P::fpoBottomLeftScreen:
    case P::fpoBottomCenterScreen:
    case P::fpoBottomRightScreen:
      return platform::Point{EdgeLeft(position, desktop.screen, width),
                             static_cast<int>(int64_t{desktop.screen.bottom} - height)};
  }
  return designed;
}

}  // namespace kpf::dialogs
