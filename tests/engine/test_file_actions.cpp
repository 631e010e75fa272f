// Text files, the file test, arrays from files, saved variables and copies of the player, all
// through the file-access rules: what a well-behaved character reaches (its folder, "{temp}",
// "{mydocument}") and what a hostile one is refused (behaving as a missing file).
#include <sys/stat.h>

#include "FileFixture.hpp"
#include "package/PackageFormat.hpp"
#include "project/ProjectWriter.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

constexpr int32_t A = 1, B = 2, C = 3, T = 4, U = 5;

class FileActionsTest : public FileFixture {
 protected:
  std::unique_ptr<Harness<>> Files(std::vector<std::vector<TKPFExeAction>> scripts,
                                   engine::PlayerOptions options = {}) {
    return Make(std::move(scripts), {"A", "B", "C"}, {"T", "U"}, options);
  }
};

TEST_F(FileActionsTest, LoadTextFileJoinsLinesWithCrLfAndAMissingOrRefusedFileSets404) {
  Put("char/a.txt", "one\ntwo\r\nthree");
  Put("outside/secret.txt", "no");
  auto h = Files({{Act(147, {P::Var(T), P::Text("a.txt")})},
                  {Act(147, {P::Var(U), P::Text("missing.txt")})},
                  {Act(147, {P::Var(U), P::Text("..\\outside\\secret.txt")})}});
  h->Fire(1);
  EXPECT_EQ(h->Text("T"), "one\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(h->player->State().LastError, 0);
  h->Fire(2);
  EXPECT_EQ(h->player->State().LastError, 404);
  h->player->State().LastError = 0;
  h->Fire(3);
  EXPECT_EQ(h->player->State().LastError, 404) << "a refused name is a missing file";
  EXPECT_EQ(h->Text("U"), "");
}

TEST_F(FileActionsTest, FileExistsFindsTheCharactersOwnFilesAndNothingElse) {
  Put("char/mine.txt", "1");
  Put("temp/resource.bmp", "2");
  Put("docs/notes.txt", "3");
  Put("outside/secret.txt", "4");
  fs::create_directories(root_ / "char/.hidden");
  Put("char/.hidden/key", "5");
  ::mkfifo(Path("char/pipe").c_str(), 0600);
  fs::create_symlink(root_ / "outside/secret.txt", root_ / "char/link.txt");
  auto h = Files({{Act(149, {P::Var(A), P::Text("MINE.TXT")}), Act(149, {P::Var(B), P::Text("{temp}\\resource.bmp")}),
                   Act(149, {P::Var(C), P::Text("{mydocument}/notes.txt")})},
                  {Act(149, {P::Var(A), P::Text("resource.bmp")}), Act(149, {P::Var(B), P::Text("notes.txt")})},
                  {Act(149, {P::Var(A), P::Text(Path("outside/secret.txt"))}), Act(149, {P::Var(B), P::Text(".hidden/key")}),
                   Act(149, {P::Var(C), P::Text("pipe")})},
                  {Act(149, {P::Var(A), P::Text("link.txt")}), Act(149, {P::Var(B), P::Text("/etc/passwd")}),
                   Act(149, {P::Var(C), P::Text("C:\\autoexec.bat")})}});
  h->Fire(1);
  EXPECT_EQ(std::vector<int32_t>({h->Int("A"), h->Int("B"), h->Int("C")}), std::vector<int32_t>({1, 1, 1}));
  h->Fire(2);
  EXPECT_EQ(h->Int("A"), 1) << "the search's last step: the temporary folder";
  EXPECT_EQ(h->Int("B"), 1) << "the documents folder";
  for (int script : {3, 4}) {
    h->Fire(script);
    EXPECT_EQ(std::vector<int32_t>({h->Int("A"), h->Int("B"), h->Int("C")}), std::vector<int32_t>({0, 0, 0})) << script;
  }
  EXPECT_TRUE(h->Traced("file action=149 name=\"refused\""));
}

// The character folder is fixed when the player starts: a script that points CURRENT_FOLDER
// elsewhere moves no root.
TEST_F(FileActionsTest, ACurrentFolderSetByAScriptLeavesTheFileRootsAlone) {
  Put("char/mine.txt", "1");
  Put("outside/secret.txt", "2");
  int32_t currentFolder = 0;
  for (size_t position = 0; position < project::kSystemVariableCount; ++position) {
    if (std::string_view(project::SystemVariableAt(position).name) == "CURRENT_FOLDER") {
      currentFolder = project::kFirstSystemVariableId + static_cast<int32_t>(position);
    }
  }
  ASSERT_NE(currentFolder, 0);
  auto h = Files({{Act(21, {P::Var(currentFolder), P::Text(Path("outside"))}), Act(149, {P::Var(A), P::Text("secret.txt")}),
                   Act(147, {P::Var(T), P::Text("secret.txt")}), Act(149, {P::Var(B), P::Text("mine.txt")})}});
  h->Fire(1);
  EXPECT_EQ(h->Int("A"), 0);
  EXPECT_EQ(h->Text("T"), "");
  EXPECT_EQ(h->player->State().LastError, 404);
  EXPECT_EQ(h->Int("B"), 1) << "the character's own folder is still the root";
}

TEST_F(FileActionsTest, LoadArrayReplacesTheArrayOnlyWhenEveryLineConverts) {
  Put("char/numbers.txt", "5\r\n-7\n12\n");
  Put("char/bad.txt", "1\nx2\n3\n");
  Put("char/words.txt", "alpha\nbeta");
  std::string many;
  for (int i = 0; i < 65536; ++i) many += "1\n";
  Put("char/many.txt", many);
  auto h = Files({{Act(84, {P::Text("NUMS"), P::Text("1")}), Act(209, {P::Text("nums"), P::Text("numbers.txt")}),
                   Act(210, {P::Var(A), P::Text("NUMS")}), Act(85, {P::Text("NUMS"), P::Text("1"), P::Var(B)}),
                   Act(209, {P::Text("NUMS"), P::Text("bad.txt")}), Act(210, {P::Var(C), P::Text("NUMS")}),
                   Act(209, {P::Text("NUMS"), P::Text("many.txt")})},
                  {Act(87, {P::Text("WORDS"), P::Text("0")}), Act(209, {P::Text("WORDS"), P::Text("words.txt")}),
                   Act(88, {P::Text("WORDS"), P::Text("1"), P::Var(T)}), Act(209, {P::Text("MISSING"), P::Text("words.txt")})}});
  h->Fire(1);
  EXPECT_EQ(h->Int("A"), 3);
  EXPECT_EQ(h->Int("B"), -7);
  EXPECT_EQ(h->Int("C"), 3) << "a line that is no number left the array unchanged";
  EXPECT_EQ(h->player->Arrays().Find("NUMS")->Count, 3) << "more lines than a count holds left it too";
  h->Fire(2);
  EXPECT_EQ(h->Text("T"), "beta");
}

TEST_F(FileActionsTest, ArraysAreBoundedInNumber) {
  auto h = Files({{Act(22, {P::Var(A), P::Text("0")}), Act(30, {P::Text("<%A%> < 1100")}),
                   Act(84, {P::Text("N<%A%>"), P::Text("1")}), Act(22, {P::Var(A), P::Text("<%A%>+1")}), Act(31)}});
  h->Fire(1);
  EXPECT_EQ(h->player->Arrays().size(), engine::kMaxScriptArrays);
}

TEST_F(FileActionsTest, SavedVariablesSurviveARestartInTheirOwnKey) {
  const std::vector<std::vector<TKPFExeAction>> scripts = {
      {Act(22, {P::Var(A), P::Text("42")}), Act(21, {P::Var(T), P::Text("a\\b=c%")}), Act(24, {P::Var(A)}),
       Act(24, {P::Var(T)})},
      {Act(25, {P::Var(A)}), Act(25, {P::Var(T)}), Act(25, {P::Var(U)})},
      {Act(26, {P::Var(A)}), Act(25, {P::Var(A)})}};
  {
    auto first = Files(scripts);
    first->Fire(1);
  }
  auto second = Files(scripts);
  second->player->Model.VariableByName("U")->SetValue("was set");
  second->Fire(2);
  EXPECT_EQ(second->Int("A"), 42);
  EXPECT_EQ(second->Text("T"), "a\\b=c%");
  EXPECT_EQ(second->Text("U"), "") << "a value never saved reads as the empty text";
  second->Fire(3);
  EXPECT_EQ(second->Int("A"), 0);
  EXPECT_TRUE(second->platform.MessageBoxes().empty());
}

TEST_F(FileActionsTest, ATitleCannotReachAnotherKeyAndOversizeValuesFailOnce) {
  auto h = Files({{Act(22, {P::Var(A), P::Text("1")}), Act(24, {P::Var(A)})},
                  {Act(21, {P::Var(T), P::Text("x")}), Act(24, {P::Var(T)})}});
  h->player->Title = "..\\TemporaryFiles\\1-1";
  h->Fire(1);
  const std::string stored = Content("settings/settings.ini");
  EXPECT_NE(stored.find("[..%255CTemporaryFiles%255C1-1]"), std::string::npos) << stored;
  EXPECT_EQ(stored.find("[TemporaryFiles"), std::string::npos) << stored;
  h->player->Title = std::string(engine::kMaxSavedTitleBytes + 1, 't');
  h->Fire(1);
  h->Fire(2);
  ASSERT_EQ(h->platform.MessageBoxes().size(), 1u) << "each message at most once per run";
  EXPECT_EQ(h->platform.MessageBoxes()[0].text, "Error writing registry");
}

// A package made by our own writer: a program image, the project, the header, a resource file.
std::vector<uint8_t> PackageOf(const project::ProjectSource& source) {
  const std::vector<uint8_t> image = {'E', 'L', 'F', '-', 'i', 'm', 'a', 'g', 'e'};
  const std::vector<uint8_t> block = project::BuildProjectFile(source);
  return project::BuildPackage(image, block, {"3.01", "", "Copycat", 0},
                               {{package::kTagNamedFile, {'r', '.', 't', 'x', 't', 0, 'x'}}});
}

TEST_F(FileActionsTest, APlayerCopyCarriesTheStoredValuesKeepsTheModeAndStaysOutOfCommandFolders) {
  project::ProjectSource source = WithVariables({"A", "B", "C"}, {"T", "U"});
  const std::vector<uint8_t> package = PackageOf(source);
  std::ofstream(root_ / "char/player", std::ios::binary)
      .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
  ::chmod(Path("char/player").c_str(), 0750);
  engine::PlayerOptions options = Options();
  options.packagePath = Path("char/player");
  // The copy carries the current value of every variable whose stored value was changed.
  auto h = Files({{Act(22, {P::Var(A), P::Text("77")}), Act(152, {P::Var(A), P::Text("5")}), Act(155, {P::Text("copy")}),
                   Act(155, {P::Text("{mydocument}\\copy2")}), Act(155, {P::Text("../outside/copy3")})}},
                 options);
  const char* path = std::getenv("PATH");
  const std::string savedPath = path ? path : "";
  ::setenv("PATH", (Path("docs") + ":/usr/bin").c_str(), 1);
  h->Fire(1);
  ::setenv("PATH", savedPath.c_str(), 1);
  ASSERT_TRUE(Exists("char/copy"));
  EXPECT_FALSE(Exists("docs/copy2")) << "a folder listed in PATH";
  EXPECT_FALSE(Exists("outside/copy3"));
  struct stat info {};
  ASSERT_EQ(::stat(Path("char/copy").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0750u);
  const std::string copy = Content("char/copy");
  const std::optional<package::PackageLayout> layout =
      package::ParsePackage(std::span(reinterpret_cast<const uint8_t*>(copy.data()), copy.size()));
  ASSERT_TRUE(layout && layout->Complete());
  EXPECT_EQ(layout->Header->Title, "Copycat");
  const auto value = std::find_if(layout->Records.begin(), layout->Records.end(),
                                  [](const package::PackageRecord& r) { return r.Tag == package::kTagVariableValue; });
  ASSERT_NE(value, layout->Records.end());
  EXPECT_EQ(package::DecodeVariableValue(value->Data).IntValue, 77);
}

TEST_F(FileActionsTest, APreviewOrACharacterWithoutAPackageSavesNoCopy) {
  Put("char/player", "no package here");
  engine::PlayerOptions options = Options();
  options.packagePath = Path("char/player");
  auto h = Files({{Act(155, {P::Text("copy")})}}, options);
  h->Fire(1);
  EXPECT_FALSE(Exists("char/copy"));
  options.preview = true;
  auto preview = Files({{Act(155, {P::Text("copy")})}}, options);
  preview->Fire(1);
  EXPECT_FALSE(Exists("char/copy"));
}

}  // namespace
}  // namespace kpf::test
