// The screen saver's settings mode through the real dialog code: the project's settings dialog
// (its name in any case) is shown modally after the start scripts, its scripts run, input meanwhile
// leaves the player alone, and dismissing the dialog closes the player.
#include <gtest/gtest.h>

#include "DialogBytes.hpp"
#include "engine/PlayerHarness.hpp"
#include "platform/headless/HeadlessDialogWindow.hpp"
#include "platform/headless/HeadlessWindow.hpp"

namespace kpf::test {
namespace {

using platform::headless::HeadlessDialogControl;
using platform::headless::HeadlessDialogWindow;

enum Var { KEYS = 1, STARTED, SHOWN, CLICKED, BYE };  // counted by the scripts
enum ScriptId { kKeys = 1, kBye, kStart, kShown, kClicked };
constexpr int32_t kSettings = 7;
constexpr platform::Point kStartPointer{300, 200};

project::TKPFExeAction Set(int32_t var, const char* value) { return Act(22, {P::Var(var), P::Text(value)}); }

// A start script, a keyboard script, a close script and a settings dialog named "ssConfig"
// whose show and button scripts count.
project::ProjectSource SettingsProject(const std::string& dialogName) {
  project::ProjectSource source = WithVariables({"KEYS", "STARTED", "SHOWN", "CLICKED", "BYE"});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  source.OptionFlags[0] = 1;  // on top: a press on the character re-asserts the order
  source.Scripts.push_back(Script(kKeys, "key", {Set(KEYS, "<%KEYS%>+1")}, 5));
  source.Scripts.push_back(Script(kBye, "bye", {Set(BYE, "1")}, 1));
  source.Scripts.push_back(Script(kStart, "start", {Set(STARTED, "1")}, 2));
  source.Scripts.push_back(Script(kShown, "shown", {Set(SHOWN, "<%STARTED%>+1")}));
  source.Scripts.push_back(Script(kClicked, "clicked", {Set(CLICKED, "<%CLICKED%>+1")}));
  source.NextScriptId = kClicked + 1;
  FormFields form;
  form.common.name = dialogName;
  form.onShow = kShown;
  source.Dialogs.push_back(
      {kSettings, dialogName,
       Join({FormRecord(form), ButtonRecord("Apply", {"Apply", 8, 8, 75, 25}, 0, "", kClicked), EndRecord()})});
  source.NextDialogId = kSettings + 1;
  return source;
}

engine::PlayerOptions Configure() {
  engine::PlayerOptions options;
  options.screenSaver = engine::ScreenSaverMode::Configure;
  return options;
}

HeadlessDialogWindow* SettingsWindow(engine::TFormKPFPlayer& player) {
  dialogs::TTaviForm* form = player.Dialogs().ById(kSettings);
  return form != nullptr && form->Window ? static_cast<HeadlessDialogWindow*>(&form->Window->Window()) : nullptr;
}

// Index of the first trace line containing `part`, or the trace's length.
size_t Position(const Harness<>& h, const std::string& part) {
  for (size_t i = 0; i < h.trace.size(); ++i) {
    if (h.trace[i].find(part) != std::string::npos) return i;
  }
  return h.trace.size();
}

// What the user does while the dialog is up, one step per tick of a timer of its own: input the
// running saver ends on, a click on the dialog's button, then the window's close control.
struct SettingsUser {
  explicit SettingsUser(Harness<>& harness) : h(harness), timer(h.platform.CreateTimer()) {
    timer->SetInterval(150);
    timer->SetOnTimer([this] { Step(); });
    timer->SetEnabled(true);
  }
  void Step() {
    HeadlessDialogWindow* window = SettingsWindow(*h.player);
    ++steps;
    if (window == nullptr || !window->Visible()) return;
    modalSeen = modalSeen || window->Modal();
    switch (steps) {
      case 1:
        h.player->KeyDown(65);
        raisedBefore = Character().BringToFrontCount();
        h.player->MouseDown(platform::MouseButton::Middle, 2, 2);
        middlePressRaised = Character().BringToFrontCount() > raisedBefore;
        h.platform.SetPointer({0, 0});
        h.player->MouseMove(false, false, 0, 0);
        h.platform.ScreenSaverDesktop().Report(platform::ScreenInput::MiddleButtonDown);
        static_cast<HeadlessDialogControl*>(h.player->Dialogs().FindObject("Apply")->Control.get())->UserClick();
        break;
      case 2:  // the housekeeping ticks since saw the moved pointer
        closedWhileShown = h.player->Closed();
        window->UserClose();
        timer->SetEnabled(false);
        break;
      default: break;
    }
  }
  platform::headless::HeadlessWindow& Character() {
    return static_cast<platform::headless::HeadlessWindow&>(h.player->Window());
  }
  Harness<>& h;
  std::unique_ptr<platform::Timer> timer;
  int steps = 0;
  int raisedBefore = 0;
  bool middlePressRaised = false;
  bool modalSeen = false;
  bool closedWhileShown = true;
};

TEST(ScreenSaverSettings, TheProjectsDialogRunsModallyAndItsDismissalClosesThePlayer) {
  Harness<> h(SettingsProject("ssConfig"), Configure(), [](auto& desktop) { desktop.SetPointer(kStartPointer); });
  SettingsUser user(h);
  EXPECT_FALSE(h.player->Start());  // returns once the dialog was dismissed
  // The middle press raised the character: an ordinary press outside the running saver.
  EXPECT_EQ(std::tuple(user.steps, user.modalSeen, user.closedWhileShown, user.middlePressRaised),
            std::tuple(2, true, false, true));
  EXPECT_TRUE(h.Traced("dialog-show id=7 name=\"ssConfig\" mode=1"));
  // The closed player has let its project go: what ran is read from the trace.
  EXPECT_LT(Position(h, "script-start id=3"), Position(h, "dialog-show"));  // after the start scripts
  EXPECT_LT(Position(h, "dialog-show"), Position(h, "script-start id=4"));  // the dialog's show script
  EXPECT_EQ(h.Count("script-start id=5"), 1u);                              // its button's script
  EXPECT_EQ(h.Count("script-start id=1"), 0u);  // a screen saver's keys are not the character's
  EXPECT_EQ(h.Count("script-start id=2"), 1u);  // closed through Close
  EXPECT_TRUE(h.player->Closed());
  EXPECT_EQ(h.platform.ScreenSaverDesktop().LiveWatches(), 0u);
  EXPECT_TRUE(h.platform.MessageBoxes().empty());  // no About box after the dialog
  EXPECT_TRUE(h.platform.Windows().empty() || !h.platform.Windows()[0]->Visible());  // the character never showed
}

// A dialog of another name is not the settings dialog: the About box stands in for it.
TEST(ScreenSaverSettings, WithoutTheDialogTheAboutBoxIsShown) {
  Harness<> h(SettingsProject("Options"), Configure());
  EXPECT_FALSE(h.player->Start());
  EXPECT_FALSE(h.Traced("dialog-show"));
  EXPECT_EQ(h.platform.MessageBoxes().size(), 1u);
  EXPECT_TRUE(h.player->Closed());
}

}  // namespace
}  // namespace kpf::test
