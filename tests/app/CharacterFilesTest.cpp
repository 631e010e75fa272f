// Character files named on the command line, on the headless desktop: a package of any name
// plays like the program it came as (its resources, initial values and folder), several files
// play several characters of which the last to close ends the program, and files that cannot be
// played are reported while the others still play.
#include <set>

#include "FormTest.hpp"

namespace kpf::app {
namespace {

namespace fs = std::filesystem;
using testing::TextValue;

// A tag-203 record giving variable `id` the text `value`.
project::PackageRecord TextValueRecord(int32_t id, const std::string& value) {
  project::PackageRecord record{.Tag = 203};
  testing::PutU32(record.Data, static_cast<uint32_t>(id));
  record.Data.push_back(1);
  record.Data.insert(record.Data.end(), value.begin(), value.end());
  record.Data.push_back(0);
  return record;
}

project::PackageRecord NamedFileRecord(const std::string& name, const std::string& content) {
  std::vector<uint8_t> data(name.begin(), name.end());
  data.push_back(0);
  data.insert(data.end(), content.begin(), content.end());
  return {.Tag = 202, .Data = data};
}

// The simple project with a text variable "GREETING" (id 1) stored as "stored".
project::ProjectSource GreetingProject() {
  project::ProjectSource source = testing::SimpleProject();
  project::VariableSource greeting = testing::Variable(1, "GREETING", true);
  greeting.TextValue = "stored";
  source.Variables = {greeting};
  source.NextVariableId = 2;
  return source;
}

class CharacterFilesTest : public testing::FormTest {
 protected:
  CharacterFilesTest() { fs::create_directories(scratch_ / "downloads"); }

  fs::path WriteCharacter(const std::string& name, const std::string& title,
                          const std::vector<project::PackageRecord>& records = {},
                          const project::ProjectSource& source = GreetingProject()) {
    const fs::path path = scratch_ / "downloads" / name;
    testing::WriteBytes(path, testing::CharacterExecutable(source, {"3.0", "about", title, 0}, records));
    return path;
  }

  std::unique_ptr<TfmPlayer> Play(std::vector<std::string> arguments) {
    TfmPlayer::Settings settings = FormSettings(std::move(arguments));
    settings.reportStartFailure = [this](const std::string& message) { reports_.push_back(message); };
    return std::make_unique<TfmPlayer>(platform_, std::move(settings));
  }

  std::vector<std::string> reports_;
};

TEST_F(CharacterFilesTest, PackageOfAnyNamePlaysWithItsResourcesValuesAndFolder) {
  const fs::path file = WriteCharacter("Pip.EXE", "Pip", {NamedFileRecord("pip-note.txt", "hi"), TextValueRecord(1, "packaged")});
  const fs::path note = scratch_ / "resources" / "pip-note.txt";
  fs::create_directories(scratch_ / "resources");
  {
    auto form = Play({file.string(), "-KPFPATH/not/for/packages"});
    ASSERT_EQ(form->PlayerCount(), 1u);
    engine::TFormKPFPlayer& player = form->Player(0);
    EXPECT_TRUE(form->AnyPlayerRunning());
    EXPECT_FALSE(player.Options().preview);
    EXPECT_EQ(player.Options().packagePath, file.string());
    EXPECT_EQ(player.Title, "Pip");
    EXPECT_EQ(form->ApplicationTitle(), "Pip");
    EXPECT_TRUE(form->Tray().created);
    EXPECT_EQ(TextValue(player, "GREETING"), "packaged");
    EXPECT_EQ(TextValue(player, "CURRENT_FOLDER"), (scratch_ / "downloads").string());
    EXPECT_TRUE(fs::exists(note));
    EXPECT_TRUE(reports_.empty());
  }
  EXPECT_FALSE(fs::exists(note));  // extracted files go with the player

  // Start switches still apply after loading, over the package's values.
  auto form = Play({"-VS0from the command line", file.string()});
  EXPECT_EQ(TextValue(form->Player(0), "GREETING"), "from the command line");
}

TEST_F(CharacterFilesTest, SeveralFilesPlaySeveralCharactersAndTheLastToCloseEndsTheProgram) {
  const fs::path pip = WriteCharacter("pip.exe", "Pip");
  const fs::path pop = WriteCharacter("pop.bin", "Pop");
  const fs::path project = WriteProject(testing::SimpleProject(), "preview.kpf");
  auto form = Play({pip.string(), project.string(), pop.string()});
  ASSERT_EQ(form->PlayerCount(), 3u);
  EXPECT_EQ(form->Player(0).Title, "Pip");
  EXPECT_TRUE(form->Player(1).Options().preview);
  EXPECT_TRUE(form->Player(1).Options().packagePath.empty());
  EXPECT_EQ(form->Player(2).Title, "Pop");
  EXPECT_EQ(form->ApplicationTitle(), "Pip");
  const std::vector<int32_t> handles = {form->HandleOf(form->Player(0)), form->HandleOf(form->Player(1)),
                                        form->HandleOf(form->Player(2))};
  EXPECT_EQ(std::set<int32_t>(handles.begin(), handles.end()).size(), 3u);
  platform_.AdvanceBy(100);
  EXPECT_EQ(platform_.Windows().size(), 3u);

  form->Player(0).CloseClick(false);
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 0);
  form->Player(2).CloseClick(true);
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 0);
  EXPECT_TRUE(form->AnyPlayerRunning());
  form->Player(1).CloseClick(false);
  platform_.AdvanceBy(100);
  EXPECT_EQ(terminations_, 1);
}

TEST_F(CharacterFilesTest, FilesThatCannotBePlayedAreReportedAndTheOthersStillPlay) {
  testing::WriteBytes(scratch_ / "downloads" / "junk.exe", testing::WindowsProgramImage());
  std::vector<uint8_t> broken = testing::CharacterExecutable(GreetingProject(), {"3.0", "", "Broken", 0});
  broken[testing::WindowsProgramImage().size() + 5] ^= 0xFF;  // inside the compressed project
  testing::WriteBytes(scratch_ / "downloads" / "broken.exe", broken);
  project::ProjectSource nothing;  // loads, but has nothing to play
  const fs::path idle = WriteCharacter("idle.exe", "Idle", {NamedFileRecord("idle-note.txt", "x")}, nothing);
  const fs::path good = WriteCharacter("good.exe", "Good");
  fs::create_directories(scratch_ / "resources");

  const std::string missing = (scratch_ / "missing.exe").string();
  const std::string junk = (scratch_ / "downloads" / "junk.exe").string();
  const std::string damaged = (scratch_ / "downloads" / "broken.exe").string();
  auto form = Play({missing, junk, damaged, idle.string(), good.string()});
  ASSERT_EQ(reports_.size(), 4u);
  EXPECT_EQ(reports_[0], missing + ": not a character package or project file");
  EXPECT_EQ(reports_[1], junk + ": not a character package or project file");
  EXPECT_TRUE(reports_[2].starts_with(damaged + ": ")) << reports_[2];
  EXPECT_NE(reports_[2], damaged + ": not a character package or project file");
  EXPECT_EQ(reports_[3], idle.string() + ": not a character package or project file");
  EXPECT_FALSE(fs::exists(scratch_ / "resources" / "idle-note.txt"));

  // The good one is player 0, with the tray icon and the application title.
  ASSERT_EQ(form->PlayerCount(), 1u);
  EXPECT_EQ(form->Player(0).Title, "Good");
  EXPECT_EQ(form->ApplicationTitle(), "Good");
  EXPECT_TRUE(form->Tray().created);
  EXPECT_TRUE(form->AnyPlayerRunning());
  EXPECT_EQ(platform_.Windows().size(), 1u);
}

TEST_F(CharacterFilesTest, WhenNoFileCanBePlayedNothingStarts) {
  auto form = Play({(scratch_ / "missing.exe").string(), (scratch_ / "broken.kpf").string()});
  EXPECT_EQ(form->PlayerCount(), 0u);
  EXPECT_TRUE(platform_.Windows().empty());
  EXPECT_FALSE(form->Tray().created);
  // The project file keeps its message box; both are reported.
  ASSERT_EQ(platform_.MessageBoxes().size(), 1u);
  EXPECT_EQ(platform_.MessageBoxes()[0].text, "Error decoding file");
  EXPECT_EQ(reports_.size(), 2u);
  EXPECT_EQ(reports_[1], (scratch_ / "broken.kpf").string() + ": Error decoding file");
  EXPECT_FALSE(form->CheckPlayersRunning());
  EXPECT_EQ(terminations_, 1);
}

// A picture with a side of 0 is an empty picture: the character loads and, while the frame that
// shows it plays, its window shows nothing.
TEST_F(CharacterFilesTest, CharacterWithAnEmptyPictureLoadsAndShowsNothingForIt) {
  project::ProjectSource source = testing::SimpleProject();
  source.Images.push_back({.Width = 0, .Height = 0});
  source.Animations[0].Frames = {{.BitmapIndex = 1, .Duration = 10}};
  const fs::path file = WriteCharacter("empty.exe", "Empty", {}, source);
  auto form = Play({file.string()});
  ASSERT_EQ(form->PlayerCount(), 1u);
  EXPECT_TRUE(form->AnyPlayerRunning());
  platform_.AdvanceBy(100);
  const platform::headless::HeadlessWindow& window = *platform_.Windows()[0];
  ASSERT_TRUE(window.Shape().has_value());
  EXPECT_TRUE(window.Shape()->empty());
  EXPECT_FALSE(window.Layered());
}

}  // namespace
}  // namespace kpf::app
