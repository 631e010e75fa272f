// The platform's desktop queries (with and without a window manager's EWMH properties), its
// timers, the message box driven by a scripted key, and ShellOpen's failure path.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <ranges>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "GtkTestSupport.hpp"

#include <X11/Xatom.h>
#include <gtk/gtk.h>

namespace kpf::platform::gtk::testing {
namespace {

// Plain X windows and root properties, standing in for other programs and a window manager.
class GtkPlatformTest : public GtkDisplayTest {
 protected:
  void TearDown() override {
    if (display_ == nullptr) return;
    for (const char* name :
         {"_NET_WORKAREA", "_NET_CURRENT_DESKTOP", "_NET_CLIENT_LIST_STACKING", "_NET_ACTIVE_WINDOW"}) {
      XDeleteProperty(display_, Root(), AtomOf(name));
    }
    for (const Window window : windows_) XDestroyWindow(display_, window);
    XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
  }

  Window Root() const { return DefaultRootWindow(display_); }
  ::Atom AtomOf(const char* name) const { return XInternAtom(display_, name, False); }
  long AtomValue(const char* name) const { return static_cast<long>(AtomOf(name)); }  // as a property value

  Window MakeWindow(const char* title, int x, int y, unsigned width, unsigned height, bool mapped) {
    const Window window = XCreateSimpleWindow(display_, Root(), x, y, width, height, 0, 0, 0);
    XStoreName(display_, window, title);
    if (mapped) XMapWindow(display_, window);
    XSync(display_, False);
    windows_.push_back(window);
    return window;
  }

  void SetLongs(Window window, const char* property, ::Atom type, const std::vector<long>& values) {
    XChangeProperty(display_, window, AtomOf(property), type, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(values.data()), static_cast<int>(values.size()));
    XSync(display_, False);
  }

  static std::vector<uint64_t> Ids(const std::vector<DesktopWindow>& windows) {
    const auto ids = windows | std::views::transform(&DesktopWindow::id);
    return {ids.begin(), ids.end()};
  }
  static const DesktopWindow* Find(const std::vector<DesktopWindow>& windows, uint64_t id) {
    const auto found = std::ranges::find(windows, id, &DesktopWindow::id);
    return found != windows.end() ? &*found : nullptr;
  }

  std::vector<Window> windows_;
};

TEST_F(GtkPlatformTest, PointerTaskbarAndWorkAreaFromTheCurrentDesktopOrTheScreen) {
  MovePointer(321, 123);
  EXPECT_EQ(platform_->Pointer(), (Point{321, 123}));
  EXPECT_EQ(platform_->ScreenRect(), (Rect{0, 0, 800, 600}));
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 0, 800, 600}));
  SetLongs(Root(), "_NET_WORKAREA", XA_CARDINAL, {0, 0, 800, 570, 10, 20, 700, 500});
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 0, 800, 570}));
  SetLongs(Root(), "_NET_CURRENT_DESKTOP", XA_CARDINAL, {1});
  EXPECT_EQ(platform_->WorkArea(), (Rect{10, 20, 710, 520}));
  SetLongs(Root(), "_NET_CURRENT_DESKTOP", XA_CARDINAL, {7});  // no such desktop: the first one
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 0, 800, 570}));
  SetLongs(Root(), "_NET_WORKAREA", XA_CARDINAL, {1, 2});  // malformed: the screen
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 0, 800, 600}));
  // The taskbar is the first dock window.
  EXPECT_EQ(platform_->TaskbarRect(), std::nullopt);
  SetLongs(MakeWindow("plain", 0, 0, 10, 10, true), "_NET_WM_WINDOW_TYPE", XA_ATOM,
           {AtomValue("_NET_WM_WINDOW_TYPE_NORMAL")});
  SetLongs(MakeWindow("panel", 0, 570, 800, 30, true), "_NET_WM_WINDOW_TYPE", XA_ATOM,
           {AtomValue("_NET_WM_WINDOW_TYPE_DOCK")});
  EXPECT_EQ(platform_->TaskbarRect(), (Rect{0, 570, 800, 600}));
}

TEST_F(GtkPlatformTest, WithoutWindowManagerTheRootChildrenAreListedFromTheFocusDown) {
  const Window lower = MakeWindow("lower", 10, 20, 100, 50, true);
  const Window hidden = MakeWindow("hidden", 0, 0, 30, 30, false);
  const Window upper = MakeWindow("upper", 200, 100, 40, 60, true);
  auto windows = platform_->WindowsFromForeground();
  const auto ids = Ids(windows);
  const auto position = [&](Window w) { return std::find(ids.begin(), ids.end(), w) - ids.begin(); };
  ASSERT_LT(position(upper), position(hidden));
  ASSERT_LT(position(hidden), position(lower));
  ASSERT_LT(position(lower), std::ssize(ids));
  const DesktopWindow& described = windows[position(lower)];
  EXPECT_EQ(described.title, "lower");
  EXPECT_TRUE(described.visible);
  EXPECT_EQ(described.showState, ShowState::Normal);
  EXPECT_EQ(described.rect, (Rect{10, 20, 110, 70}));
  EXPECT_FALSE(windows[position(hidden)].visible);

  // The window with the keyboard focus is the foreground one: the walk starts there.
  XSetInputFocus(display_, lower, RevertToPointerRoot, CurrentTime);
  XSync(display_, False);
  windows = platform_->WindowsFromForeground();
  ASSERT_FALSE(windows.empty());
  EXPECT_EQ(windows.front().id, lower);
  EXPECT_EQ(Find(windows, upper), nullptr);
}

TEST_F(GtkPlatformTest, WindowManagerStackingActiveWindowAndStatesAreUsed) {
  const Window bottom = MakeWindow("bottom", 0, 0, 10, 10, true);
  const Window active = MakeWindow("active", 50, 60, 70, 80, true);
  const Window above = MakeWindow("above", 0, 0, 10, 10, true);
  SetLongs(Root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW,
           {static_cast<long>(bottom), static_cast<long>(active), static_cast<long>(above)});
  SetLongs(Root(), "_NET_ACTIVE_WINDOW", XA_WINDOW, {static_cast<long>(active)});
  SetLongs(bottom, "_NET_WM_STATE", XA_ATOM, {AtomValue("_NET_WM_STATE_HIDDEN")});
  SetLongs(active, "_NET_WM_STATE", XA_ATOM,
           {AtomValue("_NET_WM_STATE_MAXIMIZED_VERT"), AtomValue("_NET_WM_STATE_MAXIMIZED_HORZ")});
  SetLongs(active, "_NET_FRAME_EXTENTS", XA_CARDINAL, {2, 3, 20, 4});  // left, right, top, bottom
  const char utf8Title[] = "Fen\xC3\xAAtre";
  XChangeProperty(display_, active, AtomOf("_NET_WM_NAME"), AtomOf("UTF8_STRING"), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8Title), static_cast<int>(sizeof utf8Title - 1));
  XUnmapWindow(display_, bottom);  // as a window manager does with an iconified window
  XSync(display_, False);

  const auto windows = platform_->WindowsFromForeground();
  ASSERT_EQ(Ids(windows), (std::vector<uint64_t>{active, bottom}));
  EXPECT_EQ(windows[0].title, utf8Title);
  EXPECT_EQ(windows[0].showState, ShowState::Maximised);
  EXPECT_EQ(windows[0].rect, (Rect{48, 40, 123, 144}));
  EXPECT_EQ(windows[1].showState, ShowState::Minimised);
  EXPECT_TRUE(windows[1].visible);  // minimised windows still count as shown
  EXPECT_TRUE(windows[0].active);
  EXPECT_FALSE(windows[1].active);
  EXPECT_FALSE(windows[0].fullScreen);

  // A full-screen program as the active window: the cheap foreground question tells it too.
  SetLongs(active, "_NET_WM_STATE", XA_ATOM, {AtomValue("_NET_WM_STATE_FULLSCREEN")});
  EXPECT_TRUE(platform_->WindowsFromForeground().at(0).fullScreen);
  const std::optional<DesktopWindow> foreground = platform_->ForegroundWindow();
  ASSERT_TRUE(foreground.has_value());
  EXPECT_EQ(foreground->id, active);
  EXPECT_TRUE(foreground->active);
  EXPECT_TRUE(foreground->fullScreen);
  EXPECT_EQ(foreground->rect, (Rect{48, 40, 123, 144}));
}

// The active window belongs to another client, which may destroy it at any time: reading it then
// fails inside an error trap, and there is no active window (not the window below it).
TEST_F(GtkPlatformTest, AnActiveWindowThatHasGoneMeansNoActiveWindow) {
  const Window below = MakeWindow("below", 0, 0, 10, 10, true);
  const Window gone = XCreateSimpleWindow(display_, Root(), 0, 0, 10, 10, 0, 0, 0);
  SetLongs(Root(), "_NET_CLIENT_LIST_STACKING", XA_WINDOW, {static_cast<long>(below), static_cast<long>(gone)});
  SetLongs(Root(), "_NET_ACTIVE_WINDOW", XA_WINDOW, {static_cast<long>(gone)});
  XDestroyWindow(display_, gone);
  XSync(display_, False);
  EXPECT_TRUE(platform_->WindowsFromForeground().empty());
  EXPECT_FALSE(platform_->ForegroundWindow().has_value());
}

// The housekeeping tick asks for the work area and the active window on every tick: asked again
// with nothing changed they send the server nothing, and a change the server reports (of the
// root's properties, of the active window's state or place, of which window is active) shows in
// the next answer.
TEST_F(GtkPlatformTest, DesktopQuestionsAskedAgainSendNothingUntilTheServerTellsOfAChange) {
  const Window active = MakeWindow("active", 50, 60, 70, 80, true);
  SetLongs(Root(), "_NET_WORKAREA", XA_CARDINAL, {0, 0, 800, 570});
  SetLongs(Root(), "_NET_ACTIVE_WINDOW", XA_WINDOW, {static_cast<long>(active)});
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 0, 800, 570}));
  ASSERT_TRUE(platform_->ForegroundWindow().has_value());
  EXPECT_FALSE(platform_->ForegroundWindow()->fullScreen);
  platform_->Monitors();
  const unsigned long before = NextRequest(display_);
  platform_->WorkArea();
  platform_->ForegroundWindow();
  platform_->Monitors();
  EXPECT_EQ(NextRequest(display_), before);

  SetLongs(active, "_NET_WM_STATE", XA_ATOM, {AtomValue("_NET_WM_STATE_FULLSCREEN")});
  EXPECT_TRUE(platform_->ForegroundWindow()->fullScreen);
  XMoveWindow(display_, active, 10, 20);
  XSync(display_, False);
  EXPECT_EQ(platform_->ForegroundWindow()->rect, (Rect{10, 20, 80, 100}));
  SetLongs(Root(), "_NET_WORKAREA", XA_CARDINAL, {0, 30, 800, 570});
  EXPECT_EQ(platform_->WorkArea(), (Rect{0, 30, 800, 600}));
  const Window other = MakeWindow("other", 0, 0, 10, 10, true);
  SetLongs(Root(), "_NET_ACTIVE_WINDOW", XA_WINDOW, {static_cast<long>(other)});
  EXPECT_EQ(platform_->ForegroundWindow()->id, other);
  EXPECT_FALSE(platform_->ForegroundWindow()->fullScreen);
}

TEST_F(GtkPlatformTest, CharacterWindowsAreListedWithTheirCaption) {
  auto window = platform_->CreateWindow();
  window->MoveResize(30, 40, 20, 10);
  window->SetVisible(true);
  const auto id = XWindowOf(*window);
  ASSERT_TRUE(RunUntil([&] {
    const auto windows = platform_->WindowsFromForeground();
    const DesktopWindow* found = Find(windows, id);
    return found != nullptr && found->visible && found->rect == Rect{30, 40, 50, 50};
  }));
  EXPECT_EQ(Find(platform_->WindowsFromForeground(), id)->title, "$zimR_304152$");
}

TEST_F(GtkPlatformTest, LoopTimersTickOthersInsideANestedLoopNeverOverlapAndMayGoInTheirOwnTick) {
  // Like a modal dialog inside a tick: the other timer keeps ticking, this one does not overlap.
  auto modal = platform_->CreateTimer();
  auto other = platform_->CreateTimer();
  int modalTicks = 0;
  int otherTicks = 0;
  bool released = false;
  other->SetInterval(1);
  other->SetOnTimer([&] { ++otherTicks; });
  modal->SetInterval(1);
  modal->SetOnTimer([&] {
    if (++modalTicks > 1) return;
    other->SetEnabled(true);
    released = RunUntil([&] { return otherTicks >= 5; });
    modal->SetEnabled(false);
  });
  modal->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return !modal->Enabled(); }));
  EXPECT_TRUE(released);
  EXPECT_EQ(modalTicks, 1);

  // A timer destroyed by its own tick, and one restarted inside it, leave nothing behind.
  other->SetOnTimer([&] {
    ++otherTicks;
    other.reset();
  });
  const int before = otherTicks;
  ASSERT_TRUE(RunUntil([&] { return other == nullptr; }));
  modal->SetOnTimer([&] {
    ++modalTicks;
    modal->SetInterval(modal->Interval() + 1);
  });
  modal->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return modalTicks >= 4; }));
  modal.reset();
  platform_->Loop().ProcessEventsFor(20);
  EXPECT_EQ(otherTicks, before + 1);
}

// Sharing timers of one interval, started at different moments, tick in the same iteration of
// the loop (the iteration's time, which GLib keeps for all its sources, is the same for both).
TEST_F(GtkPlatformTest, SharingTimersOfOneIntervalTickInTheSameWakeUp) {
  std::vector<int64_t> first;
  std::vector<int64_t> second;
  auto one = platform_->CreateTimer();
  auto two = platform_->CreateTimer();
  for (const auto& [timer, ticks] : {std::pair{one.get(), &first}, std::pair{two.get(), &second}}) {
    timer->SetInterval(30);
    timer->SetSharesWakeUps(true);
    timer->SetOnTimer([ticks = ticks] { ticks->push_back(g_source_get_time(g_main_current_source())); });
  }
  one->SetEnabled(true);
  platform_->Loop().ProcessEventsFor(7);
  two->SetEnabled(true);
  ASSERT_TRUE(RunUntil([&] { return second.size() >= 3; }));
  one->SetEnabled(false);
  two->SetEnabled(false);
  // Every tick of the second came with one of the first (which may also have ticked alone before
  // the second started, or once while a busy machine held the loop between the two).
  EXPECT_TRUE(std::ranges::includes(first, second));
}

TEST_F(GtkPlatformTest, TerminationSignalsEndTheLoopWithExitCodeZero) {
  for (const int signal : {SIGTERM, SIGINT}) {
    GtkPlatform quitting;
    quitting.QuitOnTerminationSignals();
    quitting.Loop().Post([signal] { std::raise(signal); });
    EXPECT_EQ(quitting.Loop().Run(), 0) << signal;
  }
}

TEST_F(GtkPlatformTest, FallbackTimersTickSurviveFailingHandlersAndStopWhenDisabled) {
  auto timer = platform_->CreateTimer();
  int ticks = 0;
  timer->SetInterval(0);
  timer->SetEnabled(true);  // interval 0 without AllowZero: no ticks
  timer->SetOnTimer([&] {
    if (++ticks == 1) throw std::runtime_error("dropped");
    if (ticks == 3) timer->SetEnabled(false);
  });
  platform_->Loop().ProcessEventsFor(20);
  EXPECT_EQ(ticks, 0);
  timer->SetAllowZero(true);
  ASSERT_TRUE(RunUntil([&] { return !timer->Enabled(); }));
  platform_->Loop().ProcessEventsFor(20);
  EXPECT_EQ(ticks, 3);
}

TEST_F(GtkPlatformTest, LocalTimeIsInRangeAndShellOpenFailsWithoutATargetOrAnOpener) {
  const LocalTime now = platform_->Now();
  EXPECT_TRUE(now.year >= 2000 && now.month >= 1 && now.month <= 12 && now.day >= 1 && now.day <= 31 &&
              now.dayOfWeek >= 1 && now.dayOfWeek <= 7);
  EXPECT_FALSE(platform_->ShellOpen(""));
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", "/nonexistent-kpf-path", 1);
  const bool opened = platform_->ShellOpen("/tmp");
  setenv("PATH", path.c_str(), 1);
  EXPECT_FALSE(opened);
}

// The arguments reach the program exactly as given: nothing in them is read by a shell.
TEST_F(GtkPlatformTest, StartProgramPassesItsArgumentsUntouched) {
  char folderTemplate[] = "/tmp/kpf-start-XXXXXX";
  ASSERT_NE(mkdtemp(folderTemplate), nullptr);
  const std::string folder = folderTemplate;
  // A shell would split this at the blanks and the semicolon and expand "$(id)".
  const std::string name = folder + "/-a b;x $(id) *";
  ASSERT_TRUE(platform_->StartProgram("/usr/bin/touch", {name}));
  ASSERT_TRUE(RunUntil([&] { return access(name.c_str(), F_OK) == 0; }));
  EXPECT_FALSE(platform_->StartProgram("", {}));
  EXPECT_FALSE(platform_->StartProgram(folder + "/missing-program", {}));
  std::filesystem::remove_all(folder);
}

// A box whose owner ends it (a character that closes) answers its dismiss result; one ended
// before it came up is never shown. Its text is plain: what looks like markup shows as it is.
TEST_F(GtkPlatformTest, AMessageDialogItsOwnerEndsAnswersTheDismissResult) {
  struct Watch {
    MessageDialogCloser closer;
    std::string text;
    gboolean markup = TRUE;
  } watch;
  const MessageDialogRequest request{"Is <i>this</i> 100%?", "Owner ends", MessageBoxIcon::Warning,
                                     {{"&Yes", 6}, {"N&o to All", 9}}, 2};
  const guint poll = g_timeout_add(
      20,
      [](gpointer data) -> gboolean {
        auto& self = *static_cast<Watch*>(data);
        GList* windows = gtk_window_list_toplevels();
        for (GList* item = windows; item != nullptr; item = item->next) {
          if (!GTK_IS_MESSAGE_DIALOG(item->data) || !gtk_widget_get_mapped(GTK_WIDGET(item->data))) continue;
          gchar* text = nullptr;
          g_object_get(item->data, "text", &text, "use-markup", &self.markup, nullptr);
          self.text = text != nullptr ? text : "";
          g_free(text);
          self.closer.Close();
        }
        g_list_free(windows);
        return G_SOURCE_CONTINUE;
      },
      &watch);
  EXPECT_EQ(platform_->ShowMessageDialog(request, watch.closer), 2);
  g_source_remove(poll);
  EXPECT_EQ(watch.text, "Is <i>this</i> 100%?");
  EXPECT_FALSE(watch.markup);
  EXPECT_EQ(platform_->ShowMessageDialog(request, watch.closer), 2);  // closed already: not shown
}

// Answers the message box with a key typed by xdotool once the box has the focus. A guard
// closes the box if xdotool never gets to it (on a loaded machine the key can miss the box), so
// a failure cannot hang the test; a box the guard closed is asked again, and never counts as an
// answer.
class MessageBoxTest : public GtkPlatformTest {
 protected:
  MessageBoxResult AnswerWith(const char* key, const std::string& caption, MessageBoxButtons buttons) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      const pid_t pid = Spawn({"xdotool", "search", "--sync", "--onlyvisible", "--name", "^" + caption + "$",
                               "windowfocus", "--sync", "%1", "key", key});
      EXPECT_GT(pid, 0) << "xdotool cannot be started";  // the guard then ends the box
      bool guardFired = false;
      const guint guard = g_timeout_add_seconds(20, &CloseDialogs, &guardFired);
      const MessageBoxResult result =
          platform_->MessageBox("Text with 100% of a question?", caption, MessageBoxIcon::Question, buttons);
      if (!guardFired) g_source_remove(guard);
      if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
      }
      if (!guardFired) return result;
    }
    ADD_FAILURE() << "the key never reached the message box \"" << caption << "\"";
    return MessageBoxResult::Ok;
  }

  static gboolean CloseDialogs(gpointer fired) {
    *static_cast<bool*>(fired) = true;
    GList* windows = gtk_window_list_toplevels();
    for (GList* item = windows; item != nullptr; item = item->next) {
      if (GTK_IS_DIALOG(item->data)) gtk_dialog_response(GTK_DIALOG(item->data), GTK_RESPONSE_DELETE_EVENT);
    }
    g_list_free(windows);
    return G_SOURCE_REMOVE;
  }

  void SetUp() override {
    GtkPlatformTest::SetUp();
    if (IsSkipped()) return;
    if (system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "xdotool is not installed";
  }
};

TEST_F(MessageBoxTest, ReturnChoosesTheFirstButtonAndEscapeClosesWithCancel) {
  EXPECT_EQ(AnswerWith("Return", "Question one", MessageBoxButtons::YesNo), MessageBoxResult::Yes);
  EXPECT_EQ(AnswerWith("Escape", "Question two", MessageBoxButtons::OkCancel), MessageBoxResult::Cancel);
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
