// Characters on several monitors (headless): the screen of the scripts is the primary monitor,
// a character lives on the monitor it is dragged to, never stays where no monitor shows it, and
// comes back to the primary when its monitor goes away.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "dialogs/DialogDefinition.hpp"

namespace kpf::test {
namespace {

// Monitors and full-screen programs are looked at on each housekeeping tick; an idle character
// ticks once a second.
constexpr uint32_t kOneIdleTick = engine::kIdleHousekeepingMs;

using platform::Monitor;
using platform::MonitorLayout;
using platform::Rect;

// A smaller monitor on the left, set lower, and the primary right of it (not at 0,0).
constexpr Rect kLeft{0, 100, 1024, 868};
constexpr Rect kPrimary{1024, 0, 2304, 1024};

MonitorLayout TwoMonitors() {
  return MonitorLayout{{Monitor{kLeft, kLeft}, Monitor{kPrimary, Rect{1024, 0, 2304, 984}}}, 1};
}

// The same two with a 100-pixel gap between them.
MonitorLayout GappedMonitors() {
  return MonitorLayout{{Monitor{kLeft, kLeft}, Monitor{Rect{1124, 0, 2404, 1024}, Rect{1124, 0, 2404, 1024}}}, 1};
}

bool OnMonitor(const Rect& monitor, const Rect& window) { return platform::Contains(monitor, window); }

struct Monitors {
  explicit Monitors(project::ProjectSource source, MonitorLayout layout = TwoMonitors())
      : h(std::make_unique<Harness<>>(source, engine::PlayerOptions{},
                                      [&layout](platform::headless::HeadlessPlatform& p) { p.SetMonitors(layout); })) {
    EXPECT_TRUE(h->player->Start());
  }
  Rect Window() { return h->platform.LastWindow()->Bounds(); }
  void Drag(int toX, int toY) {
    h->player->MouseDown(platform::MouseButton::Left, 0, 0);
    h->player->MouseMove(true, false, toX, toY);
    h->player->MouseUp(platform::MouseButton::Left);
  }
  void Replay() { h->player->PlayAnimation(0, 0, 0); }

  std::unique_ptr<Harness<>> h;
};

// An endless animation at a random place (64x64 frames).
project::ProjectSource RandomlyPlaced() {
  project::ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10, "<%RANDOM_SCREEN_WIDTH%>", "<%RANDOM_SCREEN_HEIGHT%>"));
  return source;
}

TEST(MonitorsTest, TheScreenOfTheScriptsIsThePrimaryMonitor) {
  Monitors m(RandomlyPlaced());
  EXPECT_EQ(m.h->Int("SCREEN_WIDTH"), 1280);
  EXPECT_EQ(m.h->Int("SCREEN_HEIGHT"), 1024);
  EXPECT_EQ(m.h->platform.WorkArea().bottom, 984);
  for (int i = 0; i < 20; ++i) {
    m.Replay();
    ASSERT_TRUE(OnMonitor(kPrimary, m.Window())) << i;
    const int x = m.h->Int("RANDOM_SCREEN_WIDTH");
    EXPECT_GE(x, kPrimary.left);
    EXPECT_LE(x, kPrimary.right - 64);
  }
  // Another monitor chosen as the screen.
  m.h->platform.ChooseScreenMonitor(0);
  EXPECT_EQ(m.h->Int("SCREEN_WIDTH"), 1024);
}

TEST(MonitorsTest, ACharacterDraggedToAnotherMonitorLivesThereUntilItGoes) {
  Monitors m(RandomlyPlaced());
  m.Drag(300, 400);
  EXPECT_EQ(m.Window(), (Rect{300, 400, 364, 464}));
  // Its next random places lie on that monitor; the scripts' screen stays the primary.
  for (int i = 0; i < 20; ++i) {
    m.Replay();
    ASSERT_TRUE(OnMonitor(kLeft, m.Window())) << i;
  }
  EXPECT_EQ(m.h->Int("SCREEN_WIDTH"), 1280);
  // Dragged back, it lives on the primary again.
  m.Drag(1500, 500);
  m.Replay();
  EXPECT_TRUE(OnMonitor(kPrimary, m.Window()));
  // When its monitor goes it moves to the primary, as little as it takes.
  m.Drag(300, 400);
  m.h->platform.SetMonitors(MonitorLayout{{Monitor{kPrimary, kPrimary}}, 0});
  m.h->platform.AdvanceBy(kOneIdleTick);
  EXPECT_TRUE(m.h->Traced("monitor-lost"));
  EXPECT_TRUE(OnMonitor(kPrimary, m.Window()));
  EXPECT_EQ(m.Window().top, 400);
  // A change that keeps its monitor moves nothing.
  m.h->trace.clear();
  m.h->platform.SetMonitors(TwoMonitors());
  m.h->platform.AdvanceBy(kOneIdleTick);
  EXPECT_FALSE(m.h->Traced("monitor-lost"));
}

TEST(MonitorsTest, MoveModesStopAtTheEdgesOfTheCharactersMonitor) {
  // Walks right 10 pixels a frame; leaving its monitor restarts it.
  project::ProjectSource source = WithVariables({});
  auto walker = Animation(1, "walk", 0, 0, 2, 10, "900", "300");
  walker.MoveMode = 2;
  walker.Params = {10, 0};
  source.Animations.push_back(walker);
  Monitors m(source);
  // The start at 900 is on the left monitor: that is where the character lives.
  EXPECT_EQ(m.Window().left, 900);
  m.h->platform.AdvanceBy(2000);
  // It walks up to its monitor's right edge and just past it, then starts again.
  EXPECT_TRUE(m.h->Traced("move x=1030 y=300"));
  EXPECT_TRUE(m.h->Traced("leave-screen"));
  for (const std::string& line : m.h->trace) {
    if (line.find(" move ") == std::string::npos) continue;
    EXPECT_EQ(line.find("x=11"), std::string::npos) << line;  // never walks on past 1034
  }
}

TEST(MonitorsTest, NoCharacterStaysInADeadZone) {
  // A fixed start in the gap between the monitors, nearer the left one.
  project::ProjectSource source = WithVariables({});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10, "1030", "500"));
  Monitors m(source, GappedMonitors());
  EXPECT_EQ(m.Window(), (Rect{960, 500, 1024, 564}));
  // Dropped above the lower left monitor: down onto it.
  m.Drag(200, 10);
  EXPECT_EQ(m.Window(), (Rect{200, 100, 264, 164}));
  // Put far off the desktop by a script on purpose: it stays there.
  m.h->player->SetPosition(-5000, 300);
  EXPECT_EQ(m.Window().left, -5000);
}

TEST(MonitorsTest, SurfacesAndDialogsOnAMonitorThatGoesMoveToThePrimary) {
  project::ProjectSource source = RandomlyPlaced();
  auto form = dialogs::CreateObject(static_cast<uint16_t>(dialogs::ObjectType::Form));
  form->Name = "Note";
  source.Dialogs.push_back({1, "Note", dialogs::WriteDefinition({form})});
  // Script 1: a surface on the left monitor, one far off the desktop, and the dialog.
  source.Scripts.push_back(Script(1, "show",
                                  {Act(64, {P::Int(20), P::Int(10)}), Act(57, {P::Int(100), P::Int(300)}),
                                   Act(81, {P::Int(1)}), Act(64, {P::Int(20), P::Int(10)}),
                                   Act(57, {P::Int(-9000), P::Int(300)}), Act(16, {P::Int(1), P::Int(0)})}));
  source.NextScriptId = 2;
  Monitors m(source);
  m.h->Fire(1);
  std::vector<platform::headless::HeadlessWindow*> windows = m.h->platform.Windows();
  ASSERT_EQ(windows.size(), 3u);
  ASSERT_FALSE(m.h->platform.DialogWindows().empty());
  platform::headless::HeadlessDialogWindow& dialog = *m.h->platform.DialogWindows().back();
  dialog.MoveTo(200, 400);
  m.h->platform.AdvanceBy(kOneIdleTick);
  m.h->platform.SetMonitors(MonitorLayout{{Monitor{kPrimary, kPrimary}}, 0});
  m.h->platform.AdvanceBy(kOneIdleTick);
  EXPECT_EQ(windows[1]->Bounds(), (Rect{1024, 300, 1044, 310}));
  EXPECT_TRUE(m.h->Traced("surface-move slot=0 x=1024 y=300"));
  EXPECT_EQ(windows[2]->Bounds().left, -9000);
  EXPECT_EQ(dialog.Bounds().left, 1024);
  EXPECT_EQ(dialog.Bounds().top, 400);
}

}  // namespace
}  // namespace kpf::test
