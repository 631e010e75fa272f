// Path macros and the search for files named by scripts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "script/PathMacros.hpp"

namespace kpf::script {
namespace {

namespace fs = std::filesystem;

TEST(ExpandPathMacrosTest, ReplacesEachMacroOnceInAnyCase) {
  PlayerFolders folders;
  folders.CurrentFolder = "/cur/";
  folders.ExecutableFolder = "/exe";
  folders.DocumentsFolder = "/docs/{temp}";  // a folder holding a macro name is not expanded
  folders.TempFolder = "/tmp/x/";
  const std::pair<const char*, const char*> cases[] = {
      {"{temp}\\a.txt", "/tmp/x\\a.txt"}, {"{TEMP}/a.txt", "/tmp/x/a.txt"}, {"{Temp}{temp}", "/tmp/x/tmp/x"},
      {"{currdir}/b", "/cur/b"}, {"{mydocument}/c", "/docs/{temp}/c"}, {"{mydocument", "{mydocument"},
      {"plain", "plain"}, {"", ""},
  };
  for (const auto& [input, expected] : cases) EXPECT_EQ(ExpandPathMacros(folders, input), expected) << input;

  folders.CurrentFolder.clear();
  EXPECT_EQ(ExpandPathMacros(folders, "{currdir}"), "/exe");
}

TEST(ExpandPathMacrosTest, DefaultFoldersComeFromTheEnvironment) {
  const char* savedTmp = std::getenv("TMPDIR");
  const char* savedDocs = std::getenv("XDG_DOCUMENTS_DIR");
  const std::string keepTmp = savedTmp ? savedTmp : "";
  const std::string keepDocs = savedDocs ? savedDocs : "";
  setenv("TMPDIR", "/var/scratch/", 1);
  setenv("XDG_DOCUMENTS_DIR", "/home/someone/Docs/", 1);
  const PlayerFolders folders = PlayerFolders::FromEnvironment();
  EXPECT_EQ(folders.TempFolder, "/var/scratch");
  EXPECT_EQ(folders.DocumentsFolder, "/home/someone/Docs");
  unsetenv("TMPDIR");
  EXPECT_EQ(DefaultTempFolder(), "/tmp");
  if (savedTmp) setenv("TMPDIR", keepTmp.c_str(), 1);
  if (savedDocs)
    setenv("XDG_DOCUMENTS_DIR", keepDocs.c_str(), 1);
  else
    unsetenv("XDG_DOCUMENTS_DIR");
}

class ResolveFileNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("kpf_resolve_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    for (const char* folder : {"cur", "exe", "docs", "tmp", "cur/sub"})
      fs::create_directories(root_ / folder);
    folders_.CurrentFolder = (root_ / "cur").string() + "/";
    folders_.ExecutableFolder = (root_ / "exe").string();
    folders_.DocumentsFolder = (root_ / "docs").string();
    folders_.TempFolder = (root_ / "tmp").string();
  }
  void TearDown() override { fs::remove_all(root_); }

  void Touch(const std::string& relative) { std::ofstream(root_ / relative) << "x"; }
  std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

  fs::path root_;
  PlayerFolders folders_;
};

TEST_F(ResolveFileNameTest, TriesTheFoldersInOrder) {
  for (const char* file : {"tmp/a.txt", "docs/a.txt", "exe/a.txt", "cur/a.txt"}) {
    Touch(file);
    const std::string found = ResolveFileName(folders_, "a.txt");
    EXPECT_EQ(fs::path(found), fs::path(Path(file))) << file;
  }
}

TEST_F(ResolveFileNameTest, ExpandsMacrosAndConvertsBackslashes) {
  Touch("cur/sub/b.txt");
  Touch("tmp/c.txt");
  for (auto [name, file] : {std::pair<std::string, std::string>{"sub\\b.txt", "cur/sub/b.txt"},
                            {"{currdir}\\sub\\b.txt", "cur/sub/b.txt"}, {"{TEMP}/c.txt", "tmp/c.txt"},
                            {Path("tmp/c.txt"), "tmp/c.txt"}})
    EXPECT_EQ(fs::path(ResolveFileName(folders_, name)), fs::path(Path(file))) << name;
}

TEST_F(ResolveFileNameTest, GivesEmptyTextForMissingFilesAndFolders) {
  for (const char* name : {"missing.txt", "sub", ""})  // a folder is not a file
    EXPECT_EQ(ResolveFileName(folders_, name), "") << name;
  EXPECT_EQ(ResolveFileName(PlayerFolders{}, "missing.txt"), "");
}

}  // namespace
}  // namespace kpf::script
