// Monitor geometry: which monitor shows a window, the nearest monitor to a window in a dead
// zone, work areas cut by the docks' struts, and the headless desktop's settable monitors.
#include <gtest/gtest.h>

#include <vector>

#include "platform/MonitorLayout.hpp"
#include "platform/StrutWorkArea.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::platform {
namespace {

// A wide primary right of a smaller monitor that sits lower, with a 100-pixel gap between them:
//   [0,200)-(1024,968)   gap   [1124,0)-(3044,1080)
MonitorLayout GappedPair() {
  return MonitorLayout{{Monitor{{0, 200, 1024, 968}, {0, 200, 1024, 968}},
                        Monitor{{1124, 0, 3044, 1080}, {1124, 0, 3044, 1040}}},
                       1};
}

TEST(MonitorLayoutTest, TheMonitorShowingAWindowIsTheOneWithMostOfIt) {
  const MonitorLayout layout = GappedPair();
  EXPECT_EQ(layout.Primary().rect, (Rect{1124, 0, 3044, 1080}));
  EXPECT_EQ(MonitorShowingMost(layout, Rect{10, 300, 110, 400}), 0u);
  // Across the gap: 30 pixels on the left monitor, 60 on the right one.
  EXPECT_EQ(MonitorShowingMost(layout, Rect{994, 300, 1184, 400}), 1u);
  EXPECT_EQ(MonitorShowingMost(layout, Rect{1030, 300, 1100, 400}), std::nullopt);
  EXPECT_EQ(MonitorHolding(layout, Rect{1124, 0, 1224, 100}), 1u);
  EXPECT_EQ(MonitorHolding(layout, Rect{994, 300, 1184, 400}), std::nullopt);
  // Above the lower monitor, beside the primary's top.
  EXPECT_EQ(MonitorShowingMost(layout, Rect{100, 0, 200, 100}), std::nullopt);
}

TEST(MonitorLayoutTest, AWindowInADeadZoneMovesOntoTheNearestMonitor) {
  const MonitorLayout layout = GappedPair();
  // In the gap, nearer the left monitor: against its right edge, same height.
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{1030, 300, 1060, 400}), (Point{994, 300}));
  // In the gap, nearer the right one.
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{1090, 300, 1120, 400}), (Point{1124, 300}));
  // Above the lower monitor: down onto it.
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{100, 0, 200, 100}), (Point{100, 200}));
  // Partly shown windows and windows wholly off the desktop stay where they are.
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{994, 300, 1184, 400}), (Point{994, 300}));
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{-500, 300, -400, 400}), (Point{-500, 300}));
  EXPECT_EQ(PlacedOnMonitor(layout, Rect{5000, 5000, 5100, 5100}), (Point{5000, 5000}));
  // A window larger than its monitor keeps the monitor's corner.
  EXPECT_EQ(MovedOnto(Rect{0, 200, 1024, 968}, Rect{-50, 100, 1950, 1100}), (Point{0, 200}));
}

TEST(MonitorLayoutTest, AChosenPrimaryCountsOnlyWhileItsMonitorExists) {
  EXPECT_EQ(WithChosenPrimary(GappedPair(), 0).primary, 0u);
  EXPECT_EQ(WithChosenPrimary(GappedPair(), 2).primary, 1u);
  EXPECT_EQ(WithChosenPrimary(GappedPair(), -1).primary, 1u);
  EXPECT_EQ(WithChosenPrimary(GappedPair(), std::nullopt).primary, 1u);
  EXPECT_EQ(MonitorLayout{}.Primary(), Monitor{});
}

// Two monitors side by side on a 2048x768 desktop, each 1024 wide.
constexpr Rect kDesktop{0, 0, 2048, 768};
constexpr Rect kLeft{0, 0, 1024, 768};
constexpr Rect kRight{1024, 0, 2048, 768};

TEST(StrutWorkAreaTest, ADockCutsOnlyTheMonitorItLiesOn) {
  DockStrut bottomOfLeft;
  bottomOfLeft.bottom = 40;
  bottomOfLeft.bottomStartX = 0;
  bottomOfLeft.bottomEndX = 1023;
  const std::vector<DockStrut> struts{bottomOfLeft};
  EXPECT_EQ(StrutWorkArea(kLeft, kDesktop, struts), (Rect{0, 0, 1024, 728}));
  EXPECT_EQ(StrutWorkArea(kRight, kDesktop, struts), kRight);
  // The older full-length strut reaches both.
  const std::vector<DockStrut> full{FullLengthStrut(0, 0, 30, 0, kDesktop)};
  EXPECT_EQ(StrutWorkArea(kLeft, kDesktop, full), (Rect{0, 30, 1024, 768}));
  EXPECT_EQ(StrutWorkArea(kRight, kDesktop, full), (Rect{1024, 30, 2048, 768}));
}

TEST(StrutWorkAreaTest, StrutsAreMeasuredFromTheDesktopEdgesAndCombine) {
  // A panel on the right monitor's left edge reserves 1024 + 48 from the desktop's left edge;
  // it must not swallow the left monitor, which it covers whole.
  DockStrut innerLeft;
  innerLeft.left = 1072;
  innerLeft.leftStartY = 0;
  innerLeft.leftEndY = 767;
  DockStrut top;
  top.top = 24;
  top.topStartX = 1024;
  top.topEndX = 2047;
  const std::vector<DockStrut> struts{innerLeft, top};
  EXPECT_EQ(StrutWorkArea(kRight, kDesktop, struts), (Rect{1072, 24, 2048, 768}));
  EXPECT_EQ(StrutWorkArea(kLeft, kDesktop, struts), kLeft);
  // A lower, shorter monitor: a bottom strut counts from the desktop's bottom edge.
  const Rect shortRight{1024, 0, 2048, 600};
  DockStrut bottom;
  bottom.bottom = 168 + 32;
  bottom.bottomStartX = 1024;
  bottom.bottomEndX = 2047;
  EXPECT_EQ(StrutWorkArea(shortRight, kDesktop, std::vector<DockStrut>{bottom}), (Rect{1024, 0, 2048, 568}));
  // A strut whose span misses the monitor, or an empty one, changes nothing.
  DockStrut elsewhere;
  elsewhere.right = 100;
  elsewhere.rightStartY = 800;
  elsewhere.rightEndY = 900;
  EXPECT_EQ(StrutWorkArea(kRight, kDesktop, std::vector<DockStrut>{elsewhere, DockStrut{}}), kRight);
}

TEST(HeadlessMonitorsTest, OneMonitorIsTheScreenUntilMonitorsAreSet) {
  headless::HeadlessPlatform desktop;
  desktop.SetWorkArea(Rect{0, 0, 1024, 728});
  EXPECT_EQ(desktop.Monitors(), SingleMonitor(Rect{0, 0, 1024, 768}, Rect{0, 0, 1024, 728}));
  int changes = 0;
  desktop.SetOnMonitorsChanged([&changes] { ++changes; });
  desktop.SetMonitors(GappedPair());
  // Reported from the loop, as a hot-plug event is.
  EXPECT_EQ(changes, 0);
  desktop.VirtualLoop().RunPending();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(desktop.ScreenRect(), (Rect{1124, 0, 3044, 1080}));
  EXPECT_EQ(desktop.WorkArea(), (Rect{1124, 0, 3044, 1040}));
  desktop.ChooseScreenMonitor(0);
  EXPECT_EQ(desktop.ScreenRect(), (Rect{0, 200, 1024, 968}));
  desktop.SetMonitors(std::nullopt);
  desktop.VirtualLoop().RunPending();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(desktop.ScreenRect(), (Rect{0, 0, 1024, 768}));
}

}  // namespace
}  // namespace kpf::platform
