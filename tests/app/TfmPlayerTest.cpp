// The main form on the headless platform: player 0 from the command line, the package or the
// fallback sample, start switches, several players with their handles, messages between players,
// close requests and the end of the program when no player runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "AppTestProjects.hpp"
#include "app/TfmPlayer.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

int32_t IntValue(engine::TFormKPFPlayer& player, const char* name) {
  const project::TTaviVariable* variable = player.Model.VariableByName(name);
  return variable != nullptr ? variable->GetValue().ToInteger() : -999;
}

std::string TextValue(engine::TFormKPFPlayer& player, const char* name) {
  const project::TTaviVariable* variable = player.Model.VariableByName(name);
  return variable != nullptr ? variable->GetValue().ToText() : "<none>";
}

class TfmPlayerTest : public ::testing::Test {
 protected:
  fs::path WriteProject(const project::ProjectSource& source, const std::string& name) {
    const fs::path path = scratch_ / name;
    testing::WriteBytes(path, project::BuildProjectFile(source));
    return path;
  }

  std::unique_ptr<TfmPlayer> MakeForm(std::vector<std::string> arguments, std::string fallback = {}) {
    TfmPlayer::Settings settings;
    settings.executablePath = (scratch_ / "bin" / "kpfplayer").string();
    settings.arguments = std::move(arguments);
    settings.fallbackProject = std::move(fallback);
    settings.resourceFolder = (scratch_ / "resources").string() + "/";
    settings.terminate = [this] { ++terminations_; };
    return std::make_unique<TfmPlayer>(platform_, std::move(settings));
  }

  void SetUp() override { fs::create_directories(scratch_ / "bin"); }

  ScratchFolder scratch_;
  platform::headless::HeadlessPlatform platform_;
  int terminations_ = 0;
};

TEST_F(TfmPlayerTest, ProjectFileOnTheCommandLineStartsPlayerZeroInPreview) {
  const fs::path file = WriteProject(testing::SimpleProject(), "pip.kpf");
  auto form = MakeForm({file.string(), "-KPFPATH/some_$_where"});
  ASSERT_EQ(form->PlayerCount(), 1u);
  engine::TFormKPFPlayer& player = form->Player(0);
  EXPECT_TRUE(player.Options().preview);
  EXPECT_FALSE(player.Closed());
  EXPECT_TRUE(form->AnyPlayerRunning());
  EXPECT_EQ(TextValue(player, "CURRENT_FOLDER"), "/some where");
  EXPECT_EQ(IntValue(player, "CURRENT_ANIMATION_COUNT"), 1);
  EXPECT_EQ(IntValue(player, "PARENT_HANDLE"), 0);
  EXPECT_EQ(IntValue(player, "CURRENT_INSTANCE"), form->HandleOf(player));
  EXPECT_EQ(form->ApplicationTitle(), "Tavimo Viewer");
  EXPECT_TRUE(form->Tray().created);
  EXPECT_TRUE(form->Tray().visible);  // option flag 2 is set
  platform_.AdvanceBy(500);
  ASSERT_EQ(platform_.Windows().size(), 1u);
  EXPECT_TRUE(platform_.Windows()[0]->Visible());
  EXPECT_EQ(platform_.Windows()[0]->Bounds(), (platform::Rect{10, 20, 18, 28}));
}

TEST_F(TfmPlayerTest, StartSwitchesApplyAfterLoadingInArgumentOrder) {
  project::ProjectSource source = testing::SimpleProject();
  source.Variables = {testing::Variable(1, "A", true), testing::Variable(2, "SKIPPED", true),
                      testing::Variable(3, "B", true), testing::Variable(4, "C", true),
                      testing::Variable(5, "D", false)};
  source.Variables[1].Flags = 1 | (1 << 3);  // a variable with a system index does not count
  const fs::path file = WriteProject(source, "vars.kpf");
  auto form = MakeForm({"-VS2third", file.string(), "-VSxfirst", "-VEq", "-VHParent", "-VS9none", "-VS3notanumber"});
  engine::TFormKPFPlayer& player = form->Player(0);
  EXPECT_EQ(TextValue(player, "A"), "first");
  EXPECT_EQ(TextValue(player, "SKIPPED"), "");
  EXPECT_EQ(TextValue(player, "B"), "");
  EXPECT_EQ(TextValue(player, "C"), "third");
  EXPECT_EQ(IntValue(player, "D"), 0);  // a text that is no number leaves the integer alone
  EXPECT_EQ(player.Title, "ZIMR_PADOKq");
  EXPECT_EQ(form->ApplicationTitle(), "ZIMR_PADOKq");
  EXPECT_EQ(form->ParentTitle(), "Parent");
}

TEST_F(TfmPlayerTest, WithoutPackageOrProjectFileThePlayerTakesTheFallback) {
  const fs::path sample = WriteProject(testing::SimpleProject(), "sample.kpf");
  auto form = MakeForm({}, sample.string());
  EXPECT_TRUE(form->AnyPlayerRunning());
  EXPECT_EQ(form->Player(0).Model.Animations.size(), 1u);
  EXPECT_EQ(terminations_, 0);
}

TEST_F(TfmPlayerTest, NothingToPlayOrAnUndecodableFileEndsTheProgramAtActivation) {
  auto empty = MakeForm({});
  EXPECT_FALSE(empty->AnyPlayerRunning());
  EXPECT_EQ(terminations_, 0);  // a close while the form is being made does not end it
  EXPECT_FALSE(empty->CheckPlayersRunning());
  EXPECT_EQ(terminations_, 1);
  testing::WriteBytes(scratch_ / "broken.kpf", {1, 2, 3, 4, 5});
  auto broken = MakeForm({(scratch_ / "broken.kpf").string()});
  ASSERT_EQ(platform_.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform_.MessageBoxes()[0].text, "Error decoding file");
  EXPECT_FALSE(broken->CheckPlayersRunning());
  EXPECT_EQ(terminations_, 2);
}

TEST_F(TfmPlayerTest, PackageOfTheExecutableLoadsAndItsFilesGoWithThePlayer) {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(testing::SimpleProject()));
  std::vector<uint8_t> named = {'n', 'o', 't', 'e', 's', '.', 't', 'x', 't', 0, 'h', 'i'};
  const std::vector<uint8_t> image = {'E', 'L', 'F'};
  const std::vector<uint8_t> package =
      project::BuildPackage(image, block, {"3.0", "about", "Pip", 0}, {{202, named}});
  testing::WriteBytes(scratch_ / "bin" / "kpfplayer", package);
  fs::create_directories(scratch_ / "resources");
  const fs::path extracted = scratch_ / "resources" / "notes.txt";
  {
    auto form = MakeForm({});
    engine::TFormKPFPlayer& player = form->Player(0);
    EXPECT_FALSE(player.Options().preview);
    EXPECT_TRUE(form->AnyPlayerRunning());
    EXPECT_EQ(player.Title, "Pip");
    EXPECT_EQ(form->ApplicationTitle(), "Pip");
    EXPECT_EQ(TextValue(player, "CURRENT_FOLDER"), (scratch_ / "bin").string());
    ASSERT_EQ(form->ExtractedFiles(0).Paths().size(), 1u);
    EXPECT_TRUE(fs::exists(extracted));
  }
  EXPECT_FALSE(fs::exists(extracted));
}

class SeveralPlayersTest : public TfmPlayerTest {
 protected:
  void SetUp() override {
    TfmPlayerTest::SetUp();
    project::ProjectSource source = testing::SimpleProject();
    source.Variables = {testing::Variable(1, "MESSAGE", true), testing::Variable(2, "RECEIVED", false)};
    // Trigger 9 (a value arrived) counts the deliveries.
    source.Scripts.push_back(testing::ScriptOf(0, 9, {testing::Action(22, {{13, "2"}, {1, "<%RECEIVED%>+1"}})}));
    source.NextScriptId = 1;
    file_ = WriteProject(source, "pip.kpf");
    form_ = MakeForm({file_.string()});
  }

  fs::path file_;
  std::unique_ptr<TfmPlayer> form_;
};

TEST_F(SeveralPlayersTest, FurtherPlayersGetTheirOwnHandlesAndWindows) {
  engine::TFormKPFPlayer& first = form_->Player(0);
  engine::TFormKPFPlayer* child = form_->CreatePlayer(form_->HandleOf(first), file_.string());
  engine::TFormKPFPlayer* other = form_->CreatePlayer(0, file_.string());
  ASSERT_EQ(form_->Instances(), (std::vector<engine::TFormKPFPlayer*>{&first, child, other}));
  ASSERT_TRUE(child && other);
  const std::set<int32_t> handles = {IntValue(first, "CURRENT_INSTANCE"), IntValue(*child, "CURRENT_INSTANCE"),
                                     IntValue(*other, "CURRENT_INSTANCE")};
  EXPECT_EQ(handles.size(), 3u);
  EXPECT_EQ(form_->FindByHandle(IntValue(*child, "CURRENT_INSTANCE")), child);
  EXPECT_EQ(IntValue(*child, "PARENT_HANDLE"), IntValue(first, "CURRENT_INSTANCE"));
  EXPECT_FALSE(child->Options().preview);  // loaded from a file, not from the command line
  EXPECT_EQ(TextValue(*child, "CURRENT_FOLDER"), file_.parent_path().string());
  EXPECT_EQ(platform_.Windows().size(), 3u);
}

TEST_F(SeveralPlayersTest, ClosingAChildKeepsTheProgramClosingTheLastEndsIt) {
  engine::TFormKPFPlayer& first = form_->Player(0);
  engine::TFormKPFPlayer* child = form_->CreatePlayer(form_->HandleOf(first), file_.string());
  const int32_t childHandle = form_->HandleOf(*child);
  platform_.AdvanceBy(100);
  child->CloseClick(false);
  EXPECT_TRUE(child->Closed());
  EXPECT_FALSE(platform_.Windows()[1]->Visible());
  EXPECT_EQ(form_->Instances(), (std::vector<engine::TFormKPFPlayer*>{&first}));
  // Once the close has unwound the child goes, window and all.
  platform_.AdvanceBy(100);
  EXPECT_EQ(form_->FindByHandle(childHandle), nullptr);
  EXPECT_EQ(form_->PlayerCount(), 1u);
  EXPECT_EQ(platform_.Windows().size(), 1u);
  EXPECT_EQ(terminations_, 0);
  EXPECT_TRUE(form_->AnyPlayerRunning());
  first.CloseClick(true);
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
  EXPECT_FALSE(form_->AnyPlayerRunning());
}

TEST_F(TfmPlayerTest, HideItemFollowsTheTrayIconAndPlayerZerosFlagSix) {
  project::ProjectSource source = testing::SimpleProject();
  source.OptionFlags[2] = 0;  // no tray icon
  source.OptionFlags[6] = 1;  // further players get no "Hide" item
  const fs::path file = WriteProject(source, "notray.kpf");
  auto form = MakeForm({file.string()});
  const auto hideVisible = [](engine::TFormKPFPlayer& player) {
    const engine::MenuItem* hide = player.Menu().Command(engine::MenuCommand::Hide);
    return hide != nullptr && hide->visible;
  };
  EXPECT_FALSE(form->Tray().visible);
  EXPECT_FALSE(hideVisible(form->Player(0)));
  const fs::path plain = WriteProject(testing::SimpleProject(), "plain.kpf");
  EXPECT_FALSE(hideVisible(*form->CreatePlayer(form->HandleOf(form->Player(0)), plain.string())));

  auto withTray = MakeForm({plain.string()});
  EXPECT_TRUE(hideVisible(withTray->Player(0)));
  EXPECT_TRUE(hideVisible(*withTray->CreatePlayer(withTray->HandleOf(withTray->Player(0)), plain.string())));
}

TEST_F(SeveralPlayersTest, CloseChildrenReachesEveryChildOfTheParentAndAParentlessPlayerEndsTheProgram) {
  engine::TFormKPFPlayer& first = form_->Player(0);
  const int32_t parent = form_->HandleOf(first);
  engine::TFormKPFPlayer* a = form_->CreatePlayer(parent, file_.string());
  engine::TFormKPFPlayer* b = form_->CreatePlayer(parent, file_.string());
  engine::TFormKPFPlayer* c = form_->CreatePlayer(form_->HandleOf(*a), file_.string());
  form_->CloseChildren(parent, 0);
  EXPECT_TRUE(a->Closed());
  EXPECT_TRUE(b->Closed());
  EXPECT_FALSE(c->Closed());
  form_->CloseChildren(0, form_->HandleOf(*c));
  EXPECT_TRUE(c->Closed());
  platform_.AdvanceBy(100);
  EXPECT_EQ(form_->PlayerCount(), 1u);
  EXPECT_FALSE(first.Closed());
  EXPECT_EQ(terminations_, 0);
  // A player without a parent ends the program when it closes.
  form_->CreatePlayer(0, file_.string())->CloseClick(false);
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
}

TEST_F(SeveralPlayersTest, SendToPlayersDeliversByHandleOrToEveryOtherPlayer) {
  engine::TFormKPFPlayer& first = form_->Player(0);
  engine::TFormKPFPlayer* second = form_->CreatePlayer(form_->HandleOf(first), file_.string());
  engine::TFormKPFPlayer* third = form_->CreatePlayer(form_->HandleOf(first), file_.string());
  first.Model.VariableByName("MESSAGE")->SetValue(std::string("hello"));
  form_->SendToPlayers(first, -1, *first.Model.VariableByName("MESSAGE"));
  EXPECT_EQ(TextValue(*second, "MESSAGE"), "hello");
  EXPECT_EQ(TextValue(*third, "MESSAGE"), "hello");
  EXPECT_EQ(IntValue(first, "RECEIVED"), 0);
  EXPECT_EQ(IntValue(*second, "RECEIVED"), 1);
  EXPECT_EQ(IntValue(*third, "RECEIVED"), 1);

  second->Model.VariableByName("MESSAGE")->SetValue(std::string("to one"));
  form_->SendToPlayers(*second, form_->HandleOf(*third), *second->Model.VariableByName("MESSAGE"));
  EXPECT_EQ(TextValue(first, "MESSAGE"), "hello");
  EXPECT_EQ(TextValue(*third, "MESSAGE"), "to one");
  EXPECT_EQ(IntValue(*third, "RECEIVED"), 2);

  // A player removed from the instances receives nothing.
  form_->RemovePlayer(*third);
  form_->SendToPlayers(first, -1, *first.Model.VariableByName("MESSAGE"));
  EXPECT_EQ(IntValue(*third, "RECEIVED"), 2);
}

TEST_F(SeveralPlayersTest, APlayerFromAStreamLoadsTheCompressedProject) {
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(testing::SimpleProject()));
  engine::TFormKPFPlayer* player = form_->CreatePlayer(form_->HandleOf(form_->Player(0)), {}, block);
  EXPECT_FALSE(player->Closed());
  EXPECT_EQ(player->Model.Animations.size(), 1u);
}

TEST_F(SeveralPlayersTest, TrayServicesReachPlayerZerosTrayIcon) {
  platform::headless::HeadlessTrayIcon* tray = platform_.LastTrayIcon();
  ASSERT_NE(tray, nullptr);
  EXPECT_TRUE(tray->Visible());
  EXPECT_EQ(tray->Tooltip(), "Tavimo Viewer");
  form_->TrayBalloon("Title", "Text", 7);
  EXPECT_EQ(form_->Tray().balloonIcon, 0);
  form_->TrayBalloon("Title", "Text", 3);
  EXPECT_EQ(form_->Tray().balloonIcon, 3);
  EXPECT_EQ(form_->Tray().balloonText, "Text");
  ASSERT_EQ(tray->Balloons().size(), 2u);
  const std::vector<uint32_t> picture(16 * 16, 0xFF0000);
  form_->TrayIcon(16, 16, picture, 0);
  EXPECT_TRUE(form_->Tray().customPicture);
  EXPECT_FALSE(tray->Picture().empty());
  form_->TrayIcon(0, 0, {}, 0);
  EXPECT_FALSE(form_->Tray().customPicture);
}

TEST_F(SeveralPlayersTest, RightClickMenuCloseEndsTheProgram) {
  platform_.AdvanceBy(100);
  platform::headless::HeadlessWindow* window = platform_.Windows()[0];
  window->PressMouse(platform::MouseButton::Right, 2, 2);
  window->ReleaseMouse(platform::MouseButton::Right);
  platform::headless::HeadlessPopupMenu* menu = platform_.LastPopupMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_TRUE(menu->IsOpen());
  ASSERT_TRUE(menu->ChooseCaption("Close"));
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
}

}  // namespace
}  // namespace kpf::app
