// The main form on the headless platform: player 0 from the command line, the package or the
// fallback sample, start switches, several players with their handles, close requests, the tray
// and the end of the program when no player runs.
#include "FormTest.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::IntValue;
using testing::TextValue;
using Players = std::vector<engine::TFormKPFPlayer*>;

class TfmPlayerTest : public testing::FormTest {};

TEST_F(TfmPlayerTest, ProjectFileOnTheCommandLineStartsPlayerZeroInPreview) {
  const fs::path file = WriteProject(testing::SimpleProject(), "pip.kpf");
  auto form = MakeForm({file.string(), "-KPFPATH/some_$_where"});
  ASSERT_EQ(form->PlayerCount(), 1u);
  engine::TFormKPFPlayer& player = form->Player(0);
  EXPECT_TRUE(player.Options().preview);
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

TEST_F(TfmPlayerTest, FullScreenHidingIsOnUnlessTheSwitchOrTheUsersSettingTurnsItOff) {
  const fs::path file = WriteProject(testing::SimpleProject(), "pip.kpf");
  EXPECT_TRUE(MakeForm({file.string()})->Player(0).Options().fullScreenHide);
  EXPECT_FALSE(MakeForm({"--no-fullscreen-hide", file.string()})->Player(0).Options().fullScreenHide);
  TfmPlayer::Settings settings = FormSettings({file.string()});
  settings.fullScreenHide = false;
  TfmPlayer form(platform_, std::move(settings));
  EXPECT_FALSE(form.Player(0).Options().fullScreenHide);
  // A further character of the same program follows the same rule.
  engine::TFormKPFPlayer* second = form.CreatePlayer(form.HandleOf(form.Player(0)), file.string());
  ASSERT_NE(second, nullptr);
  EXPECT_FALSE(second->Options().fullScreenHide);
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

TEST_F(TfmPlayerTest, FallbackPlaysWithoutPackageOrProjectAndNothingToPlayEndsTheProgramAtActivation) {
  TfmPlayer::Settings settings = FormSettings({});
  settings.fallbackProject = WriteProject(testing::SimpleProject(), "sample.kpf").string();
  TfmPlayer withFallback(platform_, std::move(settings));
  EXPECT_TRUE(withFallback.AnyPlayerRunning());
  EXPECT_EQ(withFallback.Player(0).Model.Animations.size(), 1u);

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
  const std::vector<uint8_t> named = {'n', 'o', 't', 'e', 's', '.', 't', 'x', 't', 0, 'h', 'i'};
  const std::vector<uint8_t> program = {'E', 'L', 'F'};
  testing::WriteBytes(scratch_ / "bin" / "kpfplayer",
                      project::BuildPackage(program, block, {"3.0", "about", "Pip", 0}, {{202, named}}));
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

TEST_F(TfmPlayerTest, HideItemFollowsTheTrayIconAndPlayerZerosFlagSix) {
  project::ProjectSource source = testing::SimpleProject();
  source.OptionFlags[2] = 0;  // no tray icon
  source.OptionFlags[6] = 1;  // further players get no "Hide" item
  auto form = MakeForm({WriteProject(source, "notray.kpf").string()});
  const auto hideVisible = [](engine::TFormKPFPlayer& player) {
    const engine::MenuItem* hide = player.Menu().Command(engine::MenuCommand::Hide);
    return hide != nullptr && hide->visible;
  };
  EXPECT_FALSE(form->Tray().visible);
  EXPECT_FALSE(hideVisible(form->Player(0)));
  const std::string plain = WriteProject(testing::SimpleProject(), "plain.kpf").string();
  EXPECT_FALSE(hideVisible(*form->CreatePlayer(form->HandleOf(form->Player(0)), plain)));
  auto withTray = MakeForm({plain});
  EXPECT_TRUE(hideVisible(withTray->Player(0)));
  EXPECT_TRUE(hideVisible(*withTray->CreatePlayer(withTray->HandleOf(withTray->Player(0)), plain)));
}

class SeveralPlayersTest : public TfmPlayerTest {
 protected:
  SeveralPlayersTest() : file_(WriteProject(testing::SimpleProject(), "pip.kpf")), form_(MakeForm({file_.string()})) {}

  fs::path file_;
  std::unique_ptr<TfmPlayer> form_;
};

TEST_F(SeveralPlayersTest, FurtherPlayersGetTheirOwnHandlesAndWindowsAndCloseWithTheirParent) {
  engine::TFormKPFPlayer& first = form_->Player(0);
  const int32_t parent = form_->HandleOf(first);
  engine::TFormKPFPlayer* child = form_->CreatePlayer(parent, file_.string());
  engine::TFormKPFPlayer* other = form_->CreatePlayer(0, file_.string());
  engine::TFormKPFPlayer* grandchild = form_->CreatePlayer(form_->HandleOf(*child), file_.string());
  // Handles and parents as scripts see them are checked with the scripted characters.
  ASSERT_EQ(form_->Instances(), (Players{&first, child, other, grandchild}));
  const int32_t childHandle = form_->HandleOf(*child);
  EXPECT_EQ(form_->FindByHandle(childHandle), child);
  EXPECT_FALSE(child->Options().preview);  // loaded from a file, not from the command line
  EXPECT_EQ(TextValue(*child, "CURRENT_FOLDER"), file_.parent_path().string());
  EXPECT_EQ(platform_.Windows().size(), 4u);

  platform_.AdvanceBy(100);
  form_->CloseChildren(parent, 0);  // the children of player 0, not theirs
  EXPECT_TRUE(child->Closed());
  EXPECT_FALSE(grandchild->Closed() || other->Closed());
  EXPECT_FALSE(platform_.Windows()[1]->Visible());
  EXPECT_EQ(form_->Instances(), (Players{&first, other, grandchild}));
  form_->CloseChildren(0, form_->HandleOf(*grandchild));
  EXPECT_TRUE(grandchild->Closed());
  // Once the closes have unwound the closed players go, windows and all.
  platform_.AdvanceBy(100);
  EXPECT_EQ(form_->FindByHandle(childHandle), nullptr);
  EXPECT_EQ(form_->PlayerCount(), 2u);
  EXPECT_EQ(platform_.Windows().size(), 2u);
  EXPECT_EQ(terminations_, 0);
  other->CloseClick(false);  // a player without a parent ends the program when it closes
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
  first.CloseClick(true);
  platform_.AdvanceBy(100);
  EXPECT_FALSE(form_->AnyPlayerRunning());
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
  form_->TrayBalloon({"Title", "Text", static_cast<platform::BalloonIcon>(7), 5000});
  EXPECT_EQ(form_->Tray().balloonIcon, 0);
  EXPECT_EQ(tray->Balloons().back().icon, platform::BalloonIcon::None);
  form_->TrayBalloon({"Title", "Text", platform::BalloonIcon::Error, 5000});
  EXPECT_EQ(form_->Tray().balloonIcon, 3);
  EXPECT_EQ(form_->Tray().balloonText, "Text");
  ASSERT_EQ(tray->Balloons().size(), 2u);
  EXPECT_EQ(tray->BalloonHides(), 2);  // each balloon first takes the one before away
  form_->TrayIcon(platform::Picture{16, 16, std::vector<uint32_t>(16 * 16, 0xFFFF0000)});
  EXPECT_TRUE(form_->Tray().customPicture);
  EXPECT_FALSE(tray->Picture().empty());
  platform_.AdvanceBy(100);
  form_->TrayIcon({});
  EXPECT_FALSE(form_->Tray().customPicture);
  EXPECT_TRUE(tray->Picture().empty());
}

// A further character's scripts reach player 0's icon through the main form, which keeps a
// reduced copy of its own of every picture.
TEST_F(SeveralPlayersTest, ScriptsOfAnyPlayerSetTheApplicationsTrayIcon) {
  project::ProjectSource source = testing::SimpleProject();
  source.Images.push_back(testing::Square(200, 0xFF00FF00));
  source.Animations.push_back(testing::Showing(2, "big", 3, 1, 200));
  source.Scripts = {testing::ScriptOf(0, 0, {testing::Action(170, {{1, "big"}, {1, "0"}})}),
                    testing::ScriptOf(1, 0, {testing::Action(169, {{1, "Hi"}, {1, "Text"}, {1, "9"}, {1, "3"}})}),
                    testing::ScriptOf(2, 0, {testing::Action(172, {})})};
  source.NextScriptId = 3;
  engine::TFormKPFPlayer* child =
      form_->CreatePlayer(form_->HandleOf(form_->Player(0)), WriteProject(source, "big.kpf").string());
  platform::headless::HeadlessTrayIcon* tray = platform_.LastTrayIcon();
  child->FireScript(0, {});
  EXPECT_EQ(std::pair(tray->Picture().width, tray->Picture().height), std::pair(64, 64));
  EXPECT_EQ(tray->Picture().pixels.front(), 0xFF00FF00u);
  child->FireScript(1, {});
  EXPECT_EQ(tray->Balloons().back(), (platform::Balloon{"Hi", "Text", platform::BalloonIcon::None, 3000}));
  child->FireScript(2, {});
  platform_.AdvanceBy(100);
  EXPECT_TRUE(tray->Picture().empty());
}

TEST_F(SeveralPlayersTest, MinimiseAndRestoreRunTriggersSevenAndEightInEveryPlayer) {
  project::ProjectSource source = testing::SimpleProject();
  source.Variables = {testing::Variable(1, "DOWN", false), testing::Variable(2, "UP", false)};
  source.NextVariableId = 3;
  source.Scripts = {testing::ScriptOf(0, 7, {testing::Action(22, {{13, "1"}, {1, "<%DOWN%> + 1"}})}),
                    testing::ScriptOf(1, 8, {testing::Action(22, {{13, "2"}, {1, "<%UP%> + 1"}})}),
                    testing::ScriptOf(2, 0, {testing::Action(97, {})}), testing::ScriptOf(3, 0, {testing::Action(98, {})})};
  source.NextScriptId = 4;
  const std::string file = WriteProject(source, "minimise.kpf").string();
  engine::TFormKPFPlayer* first = form_->CreatePlayer(0, file);
  engine::TFormKPFPlayer* second = form_->CreatePlayer(form_->HandleOf(*first), file);
  engine::TFormKPFPlayer* closed = form_->CreatePlayer(form_->HandleOf(*first), file);
  closed->Close();
  first->FireScript(2, {});
  platform_.AdvanceBy(10);
  EXPECT_EQ(std::pair(IntValue(*first, "DOWN"), IntValue(*second, "DOWN")), std::pair(1, 1));
  EXPECT_EQ(IntValue(*second, "CURRENT_WINDOW_STATE"), 1);
  // Any player's restore brings the whole application back, and every player hears of it.
  second->FireScript(3, {});
  platform_.AdvanceBy(10);
  EXPECT_EQ(std::pair(IntValue(*first, "UP"), IntValue(*second, "UP")), std::pair(1, 1));
  EXPECT_EQ(IntValue(*first, "CURRENT_WINDOW_STATE"), 0);
  EXPECT_FALSE(form_->Player(0).Closed());
}

TEST_F(SeveralPlayersTest, RightClickMenuCloseEndsTheProgram) {
  platform_.AdvanceBy(100);
  platform::headless::HeadlessWindow* window = platform_.Windows()[0];
  window->PressMouse(platform::MouseButton::Right, 2, 2);
  window->ReleaseMouse(platform::MouseButton::Right);
  platform::headless::HeadlessPopupMenu* menu = platform_.LastPopupMenu();
  ASSERT_TRUE(menu != nullptr && menu->IsOpen());
  ASSERT_TRUE(menu->ChooseCaption("Close"));
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
}

}  // namespace
}  // namespace kpf::app
