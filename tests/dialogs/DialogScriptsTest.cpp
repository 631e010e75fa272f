// Dialogs driven by scripts through the player: the dialog actions, control properties, the
// trigger sender, modal shows, windows released and rebuilt, and the policies a dialog's
// requests go through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DialogBytes.hpp"
#include "engine/PlayerHarness.hpp"
#include "platform/headless/HeadlessDialogWindow.hpp"

namespace kpf::test {
namespace {

namespace fs = std::filesystem;
using platform::headless::HeadlessDialogControl;
using platform::headless::HeadlessDialogWindow;
using project::TKPFExeAction;

enum Var { N = 1, M, IDX, T, U };
enum ScriptId { kMain = 1, kSecond, kThird, kShowScript, kCloseScript, kClickScript, kChangeScript };
constexpr int32_t kAsk = 1;

TKPFExeAction ShowDialog(int32_t id, int32_t mode) { return Act(16, {P::Int(id), P::Int(mode)}); }
TKPFExeAction HideDialog(int32_t id) { return Act(17, {P::Int(id)}); }
TKPFExeAction CloseDialog(int32_t id) { return Act(48, {P::Int(id)}); }
TKPFExeAction GetProperty(int32_t target, const char* name, int32_t code, int32_t var) {
  return Act(32, {P::Int(target), P::Text(name), P::Int(code), P::Var(var)});
}
TKPFExeAction SetProperty(int32_t target, const char* name, int32_t code, const std::string& value) {
  return Act(33, {P::Int(target), P::Text(name), P::Int(code), P::Text(value)});
}
TKPFExeAction SetNumber(int32_t var, const char* value) { return Act(22, {P::Var(var), P::Text(value)}); }
TKPFExeAction NewTimer(int32_t script, int32_t tenths) {
  return Act(116, {P::Var(IDX), P::Int(script), P::Text(std::to_string(tenths)), P::Text("1")});
}

// "Ask": a label, an edit with a change script, a check box, a list and an OK button that
// submits and runs the click script.
std::vector<uint8_t> AskDefinition(const std::string& actionUrl = "http://example.org/ask") {
  FormFields form;
  form.common.name = "Ask";
  form.actionUrl = actionUrl;
  form.onShow = kShowScript;
  form.onClose = kCloseScript;
  return Join({
      FormRecord(form),
      LabelRecord("What is your name?", {"Question", 8, 8, 150, 13, 0, 1, 0, 0, 1, 0, {}}),
      EditRecord("", {"Name", 8, 28, 150, 21}, kChangeScript),
      CheckRecord("Remember me", "on", 0, {"Keep", 8, 54, 120, 17}),
      ListRecord({"tea", "coffee"}, {"Drink", 8, 76, 150, 40, 0, 1, 0, 0, 1, 0, {}}),
      ButtonRecord("OK", {"Ok", 8, 120, 75, 25, 0, 1, 0, 0, 1, 0, {}}, 1, "", kClickScript),
      EndRecord(),
  });
}

project::ProjectSource AskProject(std::vector<std::vector<TKPFExeAction>> scripts,
                                  std::vector<uint8_t> definition = AskDefinition()) {
  project::ProjectSource source = WithVariables({"N", "M", "IDX"}, {"T", "U"});
  for (size_t i = 0; i < scripts.size(); ++i) {
    const auto id = static_cast<int32_t>(i + 1);
    source.Scripts.push_back(Script(id, "s" + std::to_string(id), std::move(scripts[i])));
  }
  source.NextScriptId = static_cast<int32_t>(scripts.size() + 1);
  source.Dialogs.push_back({kAsk, "Ask", std::move(definition)});
  source.NextDialogId = 2;
  return source;
}

class DialogScripts : public ::testing::Test {
 protected:
  void Make(std::vector<std::vector<TKPFExeAction>> scripts, std::vector<uint8_t> definition = AskDefinition(),
            engine::PlayerOptions options = {}) {
    h = std::make_unique<Harness<>>(AskProject(std::move(scripts), std::move(definition)), options);
  }
  HeadlessDialogWindow* Window() {
    dialogs::TTaviForm* form = h->player->Dialogs().ById(kAsk);
    return form && form->Window ? static_cast<HeadlessDialogWindow*>(&form->Window->Window()) : nullptr;
  }
  HeadlessDialogControl& Control(const char* name) {
    return *static_cast<HeadlessDialogControl*>(h->player->Dialogs().FindObject(name)->Control.get());
  }
  std::unique_ptr<Harness<>> h;
};

TEST_F(DialogScripts, ScriptsShowTheDialogAndReadWhatTheUserEntered) {
  Make({{ShowDialog(kAsk, 0)},
        {GetProperty(0, "Ask.Name", 8, T), GetProperty(0, "keep", 8, U), GetProperty(0, "Drink", 8, N)},
        {}, {}, {}, {}, {GetProperty(3, "", 8, U)}});
  h->Fire(kMain);
  ASSERT_NE(Window(), nullptr);
  EXPECT_TRUE(Window()->Visible());
  EXPECT_EQ(Window()->Caption(), "Hello");
  EXPECT_TRUE(h->Traced("dialog-show id=1 name=\"Ask\" mode=0"));
  EXPECT_TRUE(h->Traced("script-start id=4"));  // the show script

  Control("Name").UserType("Zoe");
  EXPECT_EQ(h->Text("U"), "Zoe");  // the change script read its sender
  EXPECT_TRUE(h->Traced("control dialog=\"ASK\" name=\"Name\" event=\"change\" value=\"Zoe\""));
  Control("Keep").UserClick();
  Control("Drink").UserSelect(1);
  h->Fire(kSecond);
  EXPECT_EQ(std::tuple(h->Text("T"), h->Text("U"), h->Int("N")), std::tuple("Zoe", "on", 0));  // "coffee" is no number
  EXPECT_EQ(h->player->Dialogs().GetProperty("Drink", 8), "coffee");
}

TEST_F(DialogScripts, UnknownDialogsAndTargetsChangeNothing) {
  Make({{ShowDialog(77, 0), HideDialog(77), CloseDialog(77), SetNumber(N, "3"), GetProperty(5, "Ask.Name", 0, N),
         GetProperty(0, "nothing", 0, T), SetProperty(0, "nothing", 0, "x")}});
  h->Fire(kMain);
  EXPECT_EQ(std::tuple(h->Int("N"), h->Text("T"), Window()->Visible()), std::tuple(0, "", false));
}

// A dialog shown again after its window closed is built anew from its definition, and a close
// script that shows it again gets that new window, not the closing one.
TEST_F(DialogScripts, ADialogShownAgainAfterCloseIsRebuilt) {
  Make({{ShowDialog(kAsk, 0)}, {}, {}, {}, {SetNumber(N, "1"), ShowDialog(kAsk, 0)}});
  h->Fire(kMain);
  Control("Name").UserType("typed");
  HeadlessDialogWindow* first = Window();
  first->UserClose();
  EXPECT_EQ(h->Int("N"), 1);
  HeadlessDialogWindow* second = Window();
  ASSERT_NE(second, nullptr);
  EXPECT_NE(second, first);
  EXPECT_EQ(std::tuple(second->Visible(), h->player->Dialogs().ById(kAsk)->Showing, Control("Name").Text()),
            std::tuple(true, true, ""));
  h->platform.AdvanceBy(10);  // the old window is freed from the loop
  EXPECT_EQ(h->platform.DialogWindows().size(), 1u);
  EXPECT_TRUE(h->Traced("dialog-close id=1"));
}

TEST_F(DialogScripts, CloseDialogReleasesTheWindowAndLookupsSkipIt) {
  Make({{ShowDialog(kAsk, 0), CloseDialog(kAsk), GetProperty(0, "Ask.Question", 0, T), ShowDialog(kAsk, 2),
         GetProperty(0, "Ask.Question", 0, U)}});
  h->Fire(kMain);
  EXPECT_EQ(std::tuple(h->Text("T"), h->Text("U"), Window()->BringToFrontCount()), std::tuple("", "What is your name?", 2));
}

// The script waits while the dialog is modal; a timer's script ends the modal run by closing (or
// hiding) the dialog, and its own modal show of the same dialog is refused instead of nesting.
TEST_F(DialogScripts, AModalShowWaitsUntilATimerClosesOrHidesTheDialog) {
  Make({{NewTimer(kSecond, 30), ShowDialog(kAsk, 1), SetNumber(N, "1")},
        {ShowDialog(kAsk, 1), SetNumber(M, "5"), CloseDialog(kAsk)}});
  h->Fire(kMain);
  EXPECT_EQ(std::tuple(h->Int("N"), h->Int("M"), Window()), std::tuple(1, 5, nullptr));
  EXPECT_GE(h->platform.NowMs(), 300);
  h->platform.AdvanceBy(10);
  EXPECT_TRUE(h->platform.DialogWindows().empty());

  Make({{NewTimer(kSecond, 10), ShowDialog(kAsk, 1), SetNumber(N, "1")}, {Act(18)}});
  h->Fire(kMain);
  EXPECT_EQ(h->Int("N"), 1);
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(std::tuple(Window()->Visible(), h->player->Dialogs().ById(kAsk)->Showing), std::tuple(false, false));
}

// The click script closes the dialog under its own button, then reads its sender: the sender is
// gone and reads as empty; writes to it do nothing. A timer started there passes the sender on.
TEST_F(DialogScripts, TheTriggerSenderIsClearedWhenItsWindowGoes) {
  Make({{ShowDialog(kAsk, 0)}, {GetProperty(3, "", 0, U)}, {}, {}, {},
        {GetProperty(3, "", 0, T), NewTimer(kSecond, 5), CloseDialog(kAsk), GetProperty(3, "", 0, U),
         SetProperty(3, "", 0, "renamed")}});
  h->Fire(kMain);
  Control("Ok").UserClick();
  EXPECT_EQ(std::tuple(h->Text("T"), h->Text("U")), std::tuple("OK", ""));
  h->player->Model.VariableByName("U")->SetValue("sentinel");
  h->platform.AdvanceBy(100);  // the timer's script reads the sender it was handed
  EXPECT_TRUE(h->Traced("timer index=0"));
  EXPECT_EQ(h->Text("U"), "");
  h->Fire(kMain);  // a new window from the definition, not renamed
  EXPECT_EQ(h->player->Dialogs().GetProperty("Ok", 0), "OK");
}

TEST_F(DialogScripts, SubmitOpensOnlyWebAddresses) {
  for (const auto& [url, opened] : std::vector<std::pair<std::string, std::string>>{
           {"http://example.org/ask", "http://example.org/ask?Name=&Keep="},
           {"file:///etc/passwd", ""},
           {"", ""},
           {"smb://host/share", ""},
           {"mailto:me@example.org", "mailto:me@example.org?Name=&Keep="}}) {
    Make({{ShowDialog(kAsk, 0)}}, AskDefinition(url));
    h->Fire(kMain);
    Control("Ok").UserClick();
    const auto& targets = h->platform.OpenedTargets();
    if (opened.empty()) {
      EXPECT_TRUE(targets.empty()) << url;
    } else {
      ASSERT_EQ(targets.size(), 1u) << url;
      EXPECT_EQ(targets[0], opened);
    }
  }
}

// A submit button is one more way of opening an address: the character's rate bound counts it
// together with the address actions, and it leaves the same trace line.
TEST_F(DialogScripts, SubmitSharesTheCharactersBoundOnOpenings) {
  Make({{ShowDialog(kAsk, 0)}, {Act(0, {P::Text("http://example.org/other")})}});
  h->Fire(kMain);
  h->Fire(kSecond);
  for (int i = 0; i < 5; ++i) Control("Ok").UserClick();
  EXPECT_EQ(h->platform.OpenedTargets().size(), 5u) << "one action and four submits";
  EXPECT_EQ(h->Count("open target=\"http://example.org/ask?Name=&Keep=\" state=\"opened\""), 4u);
  EXPECT_EQ(h->Count("open target=\"http://example.org/ask?Name=&Keep=\" state=\"refused\""), 1u);
  h->platform.AdvanceBy(10'000);
  Control("Ok").UserClick();
  EXPECT_EQ(h->platform.OpenedTargets().size(), 6u);
}

// A sound's temporary file may only name a file the character may read, stored as its path.
TEST_F(DialogScripts, ASoundsTemporaryFileMustBeAReadableFile) {
  const fs::path folder = fs::temp_directory_path() / ("kpf-dialog-sound-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "tune.mid") << "MThd";
  engine::PlayerOptions options;
  options.currentFolder = folder.string();
  options.executablePath = (folder / "player").string();
  project::ProjectSource source = AskProject({{SetProperty(2, "TUNE", 0, "/dev/zero"),
                                               SetProperty(2, "tune", 0, "http://example.org/a.mid"),
                                               SetProperty(2, "tune", 0, "../../etc/passwd")},
                                              {SetProperty(2, "Tune", 0, "tune.mid")}});
  source.Sounds.push_back({102, "Tune", {1, 2, 3}});
  h = std::make_unique<Harness<>>(source, options);
  h->Fire(kMain);
  EXPECT_EQ(h->player->Model.Sounds[0].TempFileName, "");
  h->Fire(kSecond);
  EXPECT_EQ(fs::path(h->player->Model.Sounds[0].TempFileName), fs::canonical(folder / "tune.mid"));
  fs::remove_all(folder);
}

TEST_F(DialogScripts, ShowingTheSettingsDialogByNameIsOneModalCall) {
  Make({{}, {HideDialog(kAsk)}, {}, {NewTimer(kSecond, 2)}});
  EXPECT_FALSE(h->player->ShowDialogModalByName("SSCONFIG"));
  EXPECT_TRUE(h->player->ShowDialogModalByName("ask"));  // returns once the timer hid it
  EXPECT_GE(h->platform.NowMs(), 20);
  EXPECT_FALSE(Window()->Visible());
}

TEST_F(DialogScripts, PicturesArriveFromMemoryStreams) {
  FormFields form;
  form.common.name = "Gallery";
  Make({{ShowDialog(kAsk, 0)}}, Join({FormRecord(form), ImageRecord({"Photo"}, {}, '4')}));
  h->Fire(kMain);
  engine::MemoryStream stream;
  stream.bytes = SolidJpeg(6, 5, 0xFF0000);
  h->player->SetObjectPictureFromStream("Gallery.Photo", 20, stream);
  EXPECT_EQ(Control("Photo").Picture().height, 5);
  stream.bytes = {1, 2, 3};  // no picture: nothing shown, nothing else happens
  h->player->SetObjectPictureFromStream("Gallery.Photo", 20, stream);
  EXPECT_TRUE(Control("Photo").Picture().empty());
}

TEST_F(DialogScripts, TheCloseCommandClosesOpenDialogsFirst) {
  Make({{ShowDialog(kAsk, 0)}});
  ASSERT_TRUE(h->player->Start());
  h->Fire(kMain);
  h->player->CloseClick(true);
  EXPECT_FALSE(h->player->Closed());
  h->platform.AdvanceBy(50);
  EXPECT_TRUE(h->Traced("dialog-close id=1"));
  EXPECT_TRUE(h->player->Closed());
}

TEST_F(DialogScripts, ABrokenDefinitionKeepsItsFirstObjectsAndTheProjectLoads) {
  ByteBuilder bad;
  bad.i32(-5).u16(2);
  FormFields form;
  form.common.name = "Ask";
  Make({{ShowDialog(kAsk, 0), GetProperty(0, "Ask.Question", 0, T)}},
       Join({FormRecord(form), LabelRecord("kept", {"Question"}), bad.bytes(), LabelRecord("lost", {"Later"})}));
  h->Fire(kMain);
  EXPECT_EQ(h->Text("T"), "kept");
  EXPECT_EQ(h->player->Dialogs().FindObject("Later"), nullptr);
  EXPECT_FALSE(h->player->Dialogs().ById(kAsk)->Window->LoadError().empty());
}

}  // namespace
}  // namespace kpf::test
