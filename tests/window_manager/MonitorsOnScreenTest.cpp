// Several monitors and full-screen programs on a real desktop: one wide Xvfb screen that RandR
// splits into two monitors, openbox, and the player's main form with the GTK backend in this
// process. RandR monitors live as long as the connection that defined them, so this process
// defines them itself (the request `xrandr --setmonitor` sends). Every wait runs the loop until
// the desktop shows the result, with a generous bound instead of a timed assertion.
#include "app/TfmPlayer.hpp"
#include "engine/TestProject.hpp"
// X's headers last: their macros clash with names in ours.
#include "GtkTestSupport.hpp"

#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <filesystem>

namespace kpf::platform::gtk::testing {
namespace {

using test::Act;
using test::P;

// The screen is 2048x768: the left monitor takes the screen's output, the primary (right) one
// is defined beside it, so the primary does not sit at 0,0.
constexpr Rect kLeft{0, 0, 1024, 768};
constexpr Rect kPrimary{1024, 0, 2048, 768};

// An endless animation at random places; script 1 plays it again (a new random place).
project::ProjectSource WanderingProject() {
  project::ProjectSource source = test::WithVariables({});
  source.Animations.push_back(
      test::Animation(1, "idle", 0, 0, 2, 10, "<%RANDOM_SCREEN_WIDTH%>", "<%RANDOM_SCREEN_HEIGHT%>"));
  source.Scripts = {test::Script(1, "again", {Act(1, {P::Text("idle")})})};
  source.NextScriptId = 2;
  return source;
}

class MonitorsOnScreenTest : public GtkDisplayTest {
 protected:
  void SetUp() override {
    GtkDisplayTest::SetUp();
    if (IsSkipped()) return;
    root_ = DefaultRootWindow(display_);
    DefineMonitor("KPF-LEFT", kLeft, true, false);
    DefineMonitor("KPF-RIGHT", kPrimary, false, true);
    ASSERT_TRUE(RunUntil([&] { return platform_->Monitors().monitors.size() == 2; }));
    ASSERT_EQ(platform_->ScreenRect(), kPrimary);
    file_ = test::WriteProjectFile(WanderingProject(), "monitors");
    app::TfmPlayer::Settings settings;
    settings.executablePath = (file_.parent_path() / "kpfplayer").string();
    settings.arguments = {file_.string()};
    settings.terminate = [] {};
    form_ = std::make_unique<app::TfmPlayer>(*platform_, std::move(settings));
    ASSERT_TRUE(RunUntil([&] { return Viewable(Character()); })) << "the character never showed";
  }

  void TearDown() override {
    form_.reset();
    for (const unsigned long window : windows_) XDestroyWindow(display_, window);
    if (display_ != nullptr) {
      // A monitor the test removed itself is no longer there to remove.
      GdkDisplay* display = gdk_display_get_default();
      gdk_x11_display_error_trap_push(display);
      for (const char* name : {"KPF-LEFT", "KPF-RIGHT"}) XRRDeleteMonitor(display_, root_, XInternAtom(display_, name, False));
      XSync(display_, False);
      gdk_x11_display_error_trap_pop_ignored(display);
    }
    if (!file_.empty()) std::filesystem::remove_all(file_.parent_path());
    if (platform_ != nullptr) RunUntil([] { return false; }, 5);
  }

  void DefineMonitor(const char* name, const Rect& rect, bool withOutput, bool primary) {
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display_, root_);
    const int outputs = withOutput && resources != nullptr && resources->noutput > 0 ? 1 : 0;
    XRRMonitorInfo* monitor = XRRAllocateMonitor(display_, outputs);
    monitor->name = XInternAtom(display_, name, False);
    monitor->primary = primary ? True : False;
    monitor->x = rect.left;
    monitor->y = rect.top;
    monitor->width = rect.width();
    monitor->height = rect.height();
    monitor->mwidth = rect.width() / 4;
    monitor->mheight = rect.height() / 4;
    if (outputs == 1) monitor->outputs[0] = resources->outputs[0];
    XRRSetMonitor(display_, root_, monitor);
    XRRFreeMonitors(monitor);
    if (resources != nullptr) XRRFreeScreenResources(resources);
    XSync(display_, False);
  }

  engine::TFormKPFPlayer& Player() { return form_->Player(0); }
  unsigned long Character() { return XWindowOf(Player().Window()); }
  bool Viewable(unsigned long window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state == IsViewable;
  }
  // The window's rectangle on the root, as the X server has it.
  Rect OnRoot(unsigned long window) {
    XWindowAttributes attributes{};
    int x = 0;
    int y = 0;
    Window child = 0;
    if (XGetWindowAttributes(display_, window, &attributes) == 0 ||
        XTranslateCoordinates(display_, window, root_, 0, 0, &x, &y, &child) == 0) {
      return Rect{};
    }
    return Rect{x, y, x + attributes.width, y + attributes.height};
  }
  bool Within(const Rect& monitor, unsigned long window) { return platform::Contains(monitor, OnRoot(window)); }

  void SetLongs(unsigned long window, const char* property, Atom type, const std::vector<long>& values) {
    XChangeProperty(display_, window, XInternAtom(display_, property, False), type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
  }
  unsigned long MakeWindow(const Rect& rect) {
    const Window id = XCreateSimpleWindow(display_, root_, rect.left, rect.top, static_cast<unsigned>(rect.width()),
                                          static_cast<unsigned>(rect.height()), 0, 0, 0x336699);
    windows_.push_back(id);
    return id;
  }
  void Activate(unsigned long window) {
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = window;
    message.xclient.message_type = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = 2;  // as a pager asks
    XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
    XFlush(display_);
  }

  Window root_ = 0;
  std::filesystem::path file_;
  std::unique_ptr<app::TfmPlayer> form_;
  std::vector<unsigned long> windows_;
};

TEST_F(MonitorsOnScreenTest, TheScreenIsThePrimaryAndACharacterMovedToTheOtherMonitorStaysThere) {
  EXPECT_EQ(Player().Model.VariableByName("SCREEN_WIDTH")->AsInteger(), 1024);
  EXPECT_TRUE(RunUntil([&] { return Within(kPrimary, Character()); })) << Player().Left();
  // Dragged onto the left monitor (the moves the window reports for a drag).
  Player().MouseDown(MouseButton::Left, 0, 0);
  Player().MouseMove(true, false, 300, 200);
  Player().MouseUp(MouseButton::Left);
  ASSERT_TRUE(RunUntil([&] { return Within(kLeft, Character()); }));
  // Its new random places lie there too.
  for (int round = 0; round < 5; ++round) {
    Player().FireScript(1, {});
    ASSERT_TRUE(RunUntil([&] { return Within(kLeft, Character()); })) << round;
  }
  EXPECT_EQ(Player().Model.VariableByName("SCREEN_WIDTH")->AsInteger(), 1024);
  // The left monitor goes (the screen's output shows the whole screen again): the character
  // moves to the primary.
  XRRDeleteMonitor(display_, root_, XInternAtom(display_, "KPF-LEFT", False));
  XSync(display_, False);
  EXPECT_TRUE(RunUntil([&] { return Within(kPrimary, Character()); })) << Player().Left();
}

TEST_F(MonitorsOnScreenTest, TheTaskbarIsTheDockOnThePrimaryAndItsStrutCutsOnlyThatMonitor) {
  // A 40-pixel dock along the bottom of the primary monitor only.
  const unsigned long dock = MakeWindow(Rect{1024, 728, 2048, 768});
  SetLongs(dock, "_NET_WM_WINDOW_TYPE", XA_ATOM, {static_cast<long>(XInternAtom(display_, "_NET_WM_WINDOW_TYPE_DOCK", False))});
  SetLongs(dock, "_NET_WM_STRUT_PARTIAL", XA_CARDINAL, {0, 0, 0, 40, 0, 0, 0, 0, 0, 0, 1024, 2047});
  // Where the dock asked to be, so the manager leaves it there.
  XSizeHints hints{};
  hints.flags = USPosition | PPosition;
  hints.x = 1024;
  hints.y = 728;
  XSetWMNormalHints(display_, dock, &hints);
  XMapWindow(display_, dock);
  XFlush(display_);
  ASSERT_TRUE(RunUntil([&] { return platform_->WorkArea() == Rect{1024, 0, 2048, 728}; }))
      << platform_->WorkArea().bottom;
  const MonitorLayout layout = platform_->Monitors();
  ASSERT_EQ(layout.monitors.size(), 2u);
  for (const Monitor& monitor : layout.monitors) {
    if (monitor.rect == kLeft) {
      EXPECT_EQ(monitor.workArea, kLeft);
    }
  }
  ASSERT_TRUE(RunUntil([&] { return platform_->TaskbarRect() == Rect{1024, 728, 2048, 768}; }))
      << platform_->TaskbarRect().value_or(Rect{}).top;
  // The taskbar variables read the same.
  script::SystemValues& values = Player().SystemValues();
  const auto read = [&](int index) {
    project::TTaviVariable variable;
    return values.ReadSystemValue(index, variable).ToInteger();
  };
  EXPECT_EQ(read(47), 728);   // TASKBAR_TOP
  EXPECT_EQ(read(48), 1024);  // TASKBAR_LEFT
  EXPECT_EQ(read(22), 728);   // the work area's bottom
}

TEST_F(MonitorsOnScreenTest, AnActiveFullScreenProgramHidesTheCharacterUntilItCloses) {
  ASSERT_TRUE(RunUntil([&] { return Within(kPrimary, Character()); }));
  const unsigned long program = MakeWindow(Rect{1100, 100, 1500, 400});
  XStoreName(display_, program, "film");
  SetLongs(program, "_NET_WM_STATE", XA_ATOM, {static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False))});
  XMapWindow(display_, program);
  XFlush(display_);
  bool asked = false;
  EXPECT_TRUE(RunUntil([&] {
    if (!asked) Activate(program);
    asked = true;
    return !Viewable(Character());
  })) << "the character stayed over the full-screen program";
  EXPECT_TRUE(Player().SteppedAside());
  // Scripts see it as shown all the while.
  EXPECT_TRUE(Player().IsVisible());
  XDestroyWindow(display_, program);
  windows_.erase(std::find(windows_.begin(), windows_.end(), program));
  XFlush(display_);
  EXPECT_TRUE(RunUntil([&] { return Viewable(Character()); })) << "the character did not come back";
  EXPECT_FALSE(Player().SteppedAside());
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
