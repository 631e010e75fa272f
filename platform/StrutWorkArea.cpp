#include "platform/StrutWorkArea.hpp"

#include <algorithm>

#include "platform/MonitorLayout.hpp"

namespace kpf::platform {

namespace {

// Whether the room [low, high) across the edge, over the span [start, end] along it (end
// inclusive, as the property gives it), meets the monitor.
bool Meets(int width, int start, int end, int monitorStart, int monitorEnd) {
  return width > 0 && end >= start && start < monitorEnd && end >= monitorStart;
}

}  // namespace

DockStrut FullLengthStrut(int left, int right, int top, int bottom, const Rect& desktop) {
  DockStrut strut{left, right, top, bottom};
  strut.leftStartY = strut.rightStartY = desktop.top;
  strut.leftEndY = strut.rightEndY = desktop.bottom - 1;
  strut.topStartX = strut.bottomStartX = desktop.left;
  strut.topEndX = strut.bottomEndX = desktop.right - 1;
  return strut;
}

Rect StrutWorkArea(const Rect& monitor, const Rect& desktop, std::span<const DockStrut> struts) {
  Rect work = monitor;
  for (const DockStrut& strut : struts) {
    Rect narrowed = work;
    // Each kept-free strip in desktop pixels, then cut from the monitor where it lies on it.
    const int leftEdge = desktop.left + strut.left;
    if (Meets(strut.left, strut.leftStartY, strut.leftEndY, monitor.top, monitor.bottom) && leftEdge > monitor.left &&
        leftEdge < monitor.right) {
      narrowed.left = std::max(narrowed.left, leftEdge);
    }
    const int rightEdge = desktop.right - strut.right;
    if (Meets(strut.right, strut.rightStartY, strut.rightEndY, monitor.top, monitor.bottom) && rightEdge < monitor.right &&
        rightEdge > monitor.left) {
      narrowed.right = std::min(narrowed.right, rightEdge);
    }
    const int topEdge = desktop.top + strut.top;
    if (Meets(strut.top, strut.topStartX, strut.topEndX, monitor.left, monitor.right) && topEdge > monitor.top &&
        topEdge < monitor.bottom) {
      narrowed.top = std::max(narrowed.top, topEdge);
    }
    const int bottomEdge = desktop.bottom - strut.bottom;
    if (Meets(strut.bottom, strut.bottomStartX, strut.bottomEndX, monitor.left, monitor.right) &&
        bottomEdge < monitor.bottom && bottomEdge > monitor.top) {
      narrowed.bottom = std::min(narrowed.bottom, bottomEdge);
    }
    // A strip that would cover the monitor whole is another monitor's: its edge lies inside
    // the desktop, where the property cannot say which monitor it borders.
    if (Area(narrowed) > 0) work = narrowed;
  }
  return work;
}

}  // namespace kpf::platform
