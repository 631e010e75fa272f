#pragma once
// The work area of one monitor from the room the docks keep free. A dock names that room by
// the twelve numbers of _NET_WM_STRUT_PARTIAL: widths from the left, right, top and bottom
// edges of the whole desktop, each over a span along that edge. A monitor loses what of that
// room lies on it; room that would leave it nothing belongs to another monitor's inner edge.
#include <span>

#include "platform/Types.hpp"

namespace kpf::platform {

struct DockStrut {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  int leftStartY = 0;
  int leftEndY = 0;
  int rightStartY = 0;
  int rightEndY = 0;
  int topStartX = 0;
  int topEndX = 0;
  int bottomStartX = 0;
  int bottomEndX = 0;
  bool operator==(const DockStrut&) const = default;
};

// A strut of the older four-number kind (_NET_WM_STRUT): each width along the whole edge.
DockStrut FullLengthStrut(int left, int right, int top, int bottom, const Rect& desktop);

// The part of `monitor` that no strut takes; `desktop` is the whole screen the struts are
// measured from.
Rect StrutWorkArea(const Rect& monitor, const Rect& desktop, std::span<const DockStrut> struts);

}  // namespace kpf::platform
