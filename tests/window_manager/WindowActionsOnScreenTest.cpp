// The window actions on a desktop with a window manager: a private Xvfb with openbox, and the
// player's main form with the GTK backend in this process. Stay on top as the manager's state,
// restacking below the active window, iconify and restore with triggers 7 and 8 in every player,
// a message box answered by key presses, and the pointer glide. Every wait runs the loop until
// the desktop shows the result, with a generous bound instead of a timed assertion.
#include "app/TfmPlayer.hpp"
#include "engine/TestProject.hpp"
// X's headers last: their macros clash with names in ours.
#include "GtkTestSupport.hpp"

#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <filesystem>

namespace kpf::platform::gtk::testing {
namespace {

using test::Act;
using test::P;

// Variables ANSWER (1), DOWN (2), UP (3); scripts by number as below; triggers 7 and 8 count.
project::ProjectSource DesktopProject() {
  project::ProjectSource source = test::WithVariables({"ANSWER", "DOWN", "UP"});
  source.Animations.push_back(test::Animation(1, "idle", 0, 0, 2, 10, "100", "100"));
  source.Scripts = {
      test::Script(1, "above", {Act(94)}),
      test::Script(2, "normal", {Act(95)}),
      test::Script(3, "behind", {Act(101)}),
      test::Script(4, "front", {Act(96)}),
      test::Script(5, "ask", {Act(158, {P::Var(1), P::Text("Really <b>now</b>?"), P::Int(3), P::Int(3)})}),
      test::Script(6, "glide", {Act(9, {P::Text("300"), P::Text("200"), P::Text("2")})}),
      test::Script(7, "down", {Act(22, {P::Var(2), P::Text("<%DOWN%> + 1")})}, 7),
      test::Script(8, "up", {Act(22, {P::Var(3), P::Text("<%UP%> + 1")})}, 8),
  };
  source.NextScriptId = 9;
  return source;
}

// A request about `window` to the manager, sent as a pager or task bar sends it (source 2).
void AskManager(Display* display, unsigned long window, const char* request, long detail = 0) {
  XEvent message{};
  message.xclient.type = ClientMessage;
  message.xclient.window = window;
  message.xclient.message_type = XInternAtom(display, request, False);
  message.xclient.format = 32;
  message.xclient.data.l[0] = 2;
  message.xclient.data.l[2] = detail;
  XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &message);
  XFlush(display);
}

void ActivateAsPager(Display* display, unsigned long window) { AskManager(display, window, "_NET_ACTIVE_WINDOW"); }

class WindowActionsOnScreenTest : public GtkDisplayTest {
 protected:
  void SetUp() override {
    GtkDisplayTest::SetUp();
    if (IsSkipped()) return;
    file_ = test::WriteProjectFile(DesktopProject(), "desktop");
    app::TfmPlayer::Settings settings;
    settings.executablePath = (file_.parent_path() / "kpfplayer").string();
    settings.arguments = {file_.string()};
    settings.terminate = [] {};
    form_ = std::make_unique<app::TfmPlayer>(*platform_, std::move(settings));
    ASSERT_TRUE(RunUntil([&] { return Managed(Character(0)); })) << "the window manager never took the character";
  }

  void TearDown() override {
    form_.reset();
    for (const unsigned long window : windows_) XDestroyWindow(display_, window);
    if (!file_.empty()) std::filesystem::remove_all(file_.parent_path());
    if (platform_ != nullptr) RunUntil([] { return false; }, 5);
  }

  engine::TFormKPFPlayer& Player(size_t number) { return form_->Player(number); }
  unsigned long Character(size_t number) { return XWindowOf(Player(number).Window()); }
  int32_t Value(size_t number, const char* name) { return Player(number).Model.VariableByName(name)->AsInteger(); }

  std::vector<unsigned long> Property(unsigned long window, const char* name, Atom type) {
    std::vector<unsigned long> values;
    Atom actual = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display_, window, XInternAtom(display_, name, False), 0, 1024, False, type, &actual,
                           &format, &count, &remaining, &data) == Success &&
        data != nullptr && format == 32) {
      const auto* items = reinterpret_cast<const unsigned long*>(data);
      values.assign(items, items + count);
    }
    if (data != nullptr) XFree(data);
    return values;
  }
  std::vector<unsigned long> Stacking() {
    return Property(DefaultRootWindow(display_), "_NET_CLIENT_LIST_STACKING", XA_WINDOW);
  }
  bool Managed(unsigned long window) {
    const auto stack = Stacking();
    return std::find(stack.begin(), stack.end(), window) != stack.end();
  }
  size_t StackIndex(unsigned long window) {
    const auto stack = Stacking();
    return static_cast<size_t>(std::find(stack.begin(), stack.end(), window) - stack.begin());
  }
  unsigned long Active() {
    const auto active = Property(DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW", XA_WINDOW);
    return active.empty() ? 0 : active.front();
  }
  bool HasState(unsigned long window, const char* state) {
    const auto states = Property(window, "_NET_WM_STATE", XA_ATOM);
    return std::find(states.begin(), states.end(), XInternAtom(display_, state, False)) != states.end();
  }
  bool Iconic(unsigned long window) {
    const auto state = Property(window, "WM_STATE", XInternAtom(display_, "WM_STATE", False));
    return !state.empty() && state.front() == IconicState;
  }
  bool Viewable(unsigned long window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display_, window, &attributes) != 0 && attributes.map_state == IsViewable;
  }

  void Activate(unsigned long window) { ActivateAsPager(display_, window); }
  void Restack(unsigned long window, int detail) { AskManager(display_, window, "_NET_RESTACK_WINDOW", detail); }

  // An ordinary window of another application: plain X, without our GTK windows' group, which
  // the manager would keep below the characters' utility windows.
  unsigned long OtherWindow(const char* title, int x) {
    const Window id = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, 80, 200, 150, 0, 0, 0xFFFFFF);
    XStoreName(display_, id, title);
    XMapWindow(display_, id);
    XFlush(display_);
    windows_.push_back(id);
    EXPECT_TRUE(RunUntil([&] { return Managed(id); }));
    return id;
  }

  void Fire(size_t number, int32_t script) { Player(number).FireScript(script, {}); }

  std::filesystem::path file_;
  std::unique_ptr<app::TfmPlayer> form_;
  std::vector<unsigned long> windows_;
};

TEST_F(WindowActionsOnScreenTest, StayOnTopIsTheWindowManagersAboveState) {
  const unsigned long character = Character(0);
  EXPECT_FALSE(HasState(character, "_NET_WM_STATE_ABOVE"));
  Fire(0, 1);
  EXPECT_TRUE(RunUntil([&] { return HasState(character, "_NET_WM_STATE_ABOVE"); }));
  EXPECT_TRUE(Player(0).Menu().Command(engine::MenuCommand::StayOnTop)->checked);
  Fire(0, 2);
  EXPECT_TRUE(RunUntil([&] { return !HasState(character, "_NET_WM_STATE_ABOVE"); }));
}

// The request names the active window as the sibling to go below; how far down the window ends
// is the manager's policy (openbox lowers it beneath its whole layer).
TEST_F(WindowActionsOnScreenTest, BehindTheActiveWindowGoesBelowItAndFrontActivates) {
  const unsigned long character = Character(0);
  OtherWindow("Back", 300);
  const unsigned long front = OtherWindow("Front", 400);
  Activate(front);
  ASSERT_TRUE(RunUntil([&] { return Active() == front; }));
  Restack(character, Above);  // above the active window, which keeps the focus
  ASSERT_TRUE(RunUntil([&] { return StackIndex(character) + 1 == Stacking().size() && Active() == front; }))
      << ::testing::PrintToString(Stacking());
  Fire(0, 3);
  EXPECT_TRUE(RunUntil([&] { return StackIndex(character) < StackIndex(front); }));
  EXPECT_EQ(Active(), front);
  Fire(0, 4);
  EXPECT_TRUE(RunUntil([&] { return Active() == character; }));
}

TEST_F(WindowActionsOnScreenTest, IconifyingOneCharacterMinimisesAllAndRestoringOneBringsAllBack) {
  engine::TFormKPFPlayer* second = form_->CreatePlayer(form_->HandleOf(Player(0)), file_.string());
  ASSERT_NE(second, nullptr);
  const unsigned long first = Character(0);
  const unsigned long other = XWindowOf(second->Window());
  ASSERT_TRUE(RunUntil([&] { return Managed(other) && Viewable(other); }));
  XIconifyWindow(display_, first, DefaultScreen(display_));
  XFlush(display_);
  EXPECT_TRUE(RunUntil([&] { return Iconic(first) && Iconic(other) && Value(0, "DOWN") == 1 && Value(1, "DOWN") == 1; }));
  EXPECT_EQ(Value(0, "CURRENT_WINDOW_STATE"), 1);
  Activate(other);
  EXPECT_TRUE(RunUntil([&] { return Viewable(first) && Viewable(other) && Value(0, "UP") == 1 && Value(1, "UP") == 1; }));
  EXPECT_EQ(Value(1, "CURRENT_WINDOW_STATE"), 0);
  EXPECT_EQ(Value(0, "DOWN"), 1);  // each change is reported once
}

// Sends the keys to the message box once it has the keyboard; closes it if that never happens
// (the box then answers Cancel, which the test reports as a miss).
struct KeysForTheBox {
  std::vector<KeySym> keys;
  Display* display = nullptr;
  bool sent = false;
  int rounds = 0;
  std::string text = {};
  bool markup = true;

  static gboolean Poll(gpointer data) {
    auto& self = *static_cast<KeysForTheBox*>(data);
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* box = nullptr;
    for (GList* item = windows; item != nullptr; item = item->next) {
      if (GTK_IS_MESSAGE_DIALOG(item->data) && gtk_widget_get_mapped(GTK_WIDGET(item->data))) box = GTK_WIDGET(item->data);
    }
    g_list_free(windows);
    if (box == nullptr || self.sent) return G_SOURCE_CONTINUE;
    if (++self.rounds > 400) {
      gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_DELETE_EVENT);
      return G_SOURCE_CONTINUE;
    }
    if (!gtk_window_is_active(GTK_WINDOW(box))) {
      // Managers may leave a new window without the focus; ask as a pager would, now and then.
      if (self.rounds % 20 == 1) ActivateAsPager(self.display, GDK_WINDOW_XID(gtk_widget_get_window(box)));
      return G_SOURCE_CONTINUE;
    }
    gchar* text = nullptr;
    gboolean markup = TRUE;
    g_object_get(box, "text", &text, "use-markup", &markup, nullptr);
    self.text = text != nullptr ? text : "";
    self.markup = markup != FALSE;
    g_free(text);
    for (const KeySym key : self.keys) XTestFakeKeyEvent(self.display, XKeysymToKeycode(self.display, key), True, 0);
    for (auto key = self.keys.rbegin(); key != self.keys.rend(); ++key) {
      XTestFakeKeyEvent(self.display, XKeysymToKeycode(self.display, *key), False, 0);
    }
    XFlush(self.display);
    self.sent = true;
    return G_SOURCE_CONTINUE;
  }
};

TEST_F(WindowActionsOnScreenTest, MessageBoxAnswersTheKeyPressedAndEscapeIsCancel) {
  const std::vector<std::pair<std::vector<KeySym>, int>> cases = {{{XK_Alt_L, XK_n}, 7}, {{XK_Escape}, 2}};
  for (const auto& [keys, expected] : cases) {
    KeysForTheBox sender{keys, display_};
    const guint poll = g_timeout_add(50, &KeysForTheBox::Poll, &sender);
    bool answered = false;
    platform_->Loop().Post([&] {
      Fire(0, 5);
      answered = true;
    });
    EXPECT_TRUE(RunUntil([&] { return answered; }, 5000));
    g_source_remove(poll);
    EXPECT_TRUE(sender.sent) << "the box never had the keyboard";
    EXPECT_EQ(Value(0, "ANSWER"), expected);
    EXPECT_EQ(sender.text, "Really <b>now</b>?");
    EXPECT_FALSE(sender.markup);
  }
}

TEST_F(WindowActionsOnScreenTest, GlideEndsWithThePointerAtTheTarget) {
  platform_->WarpPointer({10, 10});
  ASSERT_TRUE(RunUntil([&] { return platform_->Pointer() == Point{10, 10}; }));
  Fire(0, 6);
  EXPECT_TRUE(RunUntil([&] { return platform_->Pointer() == Point{300, 200}; }, 20));
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
