// The files a character's actions may reach: inside its roots, regular files, no hidden names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>

#include "sandbox/FileAccess.hpp"

namespace kpf::test {
namespace {

namespace fs = std::filesystem;

class FileAccessTest : public testing::Test {
 protected:
  void SetUp() override {
    base_ = fs::temp_directory_path() / ("kpf-sandbox-" + std::to_string(::getpid()));
    fs::remove_all(base_);
    for (const char* folder : {"character/sub", "temp", "docs", "outside", "character/.hidden"}) {
      fs::create_directories(base_ / folder);
    }
    Put("character/data.txt", "hello");
    Put("character/sub/deep.txt", "deep");
    Put("character/.hidden/secret", "s");
    Put("outside/secret.txt", "no");
    Put("docs/notes.txt", "notes");
    Put("temp/extracted.bmp", "resource");
    Put("character/player.exe", "program");
    access_ = sandbox::FileAccess(Roots());
  }
  sandbox::FileRoots Roots() const {
    return {.characterFolder = (base_ / "character").string(),
            .temporaryFolder = (base_ / "temp").string(),
            .documentsFolder = (base_ / "docs").string(),
            .executableFolder = {},
            .executablePath = (base_ / "character/player.exe").string()};
  }
  static std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
  }
  std::string Content(const std::string& name) const {
    std::ifstream in(base_ / name);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void TearDown() override { fs::remove_all(base_); }
  void Put(const std::string& name, const std::string& text) { std::ofstream(base_ / name) << text; }
  std::string Path(const std::string& name) const { return (base_ / name).string(); }

  fs::path base_;
  sandbox::FileAccess access_;
};

TEST_F(FileAccessTest, ReadsRegularFilesInsideTheRoots) {
  EXPECT_EQ(access_.Readable("data.txt"), Path("character/data.txt"));
  EXPECT_EQ(access_.Readable("sub\\deep.txt"), Path("character/sub/deep.txt"));
  EXPECT_EQ(access_.Readable("sub/../data.txt"), Path("character/data.txt"));
  EXPECT_EQ(access_.Readable(Path("docs/notes.txt")), Path("docs/notes.txt"));
  const auto bytes = access_.Read("data.txt", 100);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::string(bytes->begin(), bytes->end()), "hello");
  EXPECT_FALSE(access_.Read("data.txt", 4)) << "larger than the cap";
}

TEST_F(FileAccessTest, RefusesNamesOutsideHiddenOrForeign) {
  fs::create_symlink(base_ / "outside/secret.txt", base_ / "character/link.txt");
  ::mkfifo(Path("character/fifo").c_str(), 0600);
  for (const std::string& name :
       {std::string("../outside/secret.txt"), Path("outside/secret.txt"), std::string(".hidden/secret"),
        std::string("C:\\windows\\win.ini"), std::string("\\\\server\\share\\x"), std::string("sub"),
        std::string("link.txt"), std::string("fifo"), std::string("missing.txt"), std::string("a\nb"),
        std::string(5000, 'a'), std::string(300, 'b'), std::string("sub/../../outside/secret.txt")}) {
    EXPECT_FALSE(access_.Readable(name)) << name;
  }
}

TEST_F(FileAccessTest, WritesByRenameAndNeverDesktopEntries) {
  const std::string text = "saved";
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  ASSERT_TRUE(access_.Write("new.txt", bytes));
  EXPECT_EQ(access_.Read("new.txt", 100)->size(), text.size());
  struct stat info {};
  ASSERT_EQ(::stat(Path("character/new.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  EXPECT_FALSE(access_.Write("evil.desktop", bytes));
  EXPECT_FALSE(access_.Write("../outside/x.txt", bytes));
  EXPECT_FALSE(fs::exists(base_ / "outside/x.txt"));
}

TEST_F(FileAccessTest, MatchesNamesWithoutRegardToCaseWhenTheyDoNotExistAsWritten) {
  fs::create_directories(base_ / "character/Other");
  Put("character/Other/Mixed.TXT", "m");
  EXPECT_EQ(access_.Readable("OTHER\\mixed.txt"), Path("character/Other/Mixed.TXT"));
  EXPECT_EQ(access_.Readable("DATA.TXT"), Path("character/data.txt"));
  // Writing through another case replaces the file that is there, not a second one.
  ASSERT_TRUE(access_.Write("Data.Txt", Bytes("new")));
  EXPECT_EQ(Content("character/data.txt"), "new");
  EXPECT_FALSE(fs::exists(base_ / "character/Data.Txt"));
}

TEST_F(FileAccessTest, NoLinkBelowARootIsFollowedNotEvenAFolderLink) {
  fs::create_directory_symlink(base_ / "outside", base_ / "character/away");
  EXPECT_FALSE(access_.Readable("away/secret.txt"));
  EXPECT_FALSE(access_.Write("away/planted.txt", Bytes("x")));
  EXPECT_FALSE(fs::exists(base_ / "outside/planted.txt"));
  // A link put where a written file was is not written through either.
  fs::create_symlink(base_ / "outside/secret.txt", base_ / "character/target.txt");
  EXPECT_FALSE(access_.Write("target.txt", Bytes("x")));
  EXPECT_EQ(Content("outside/secret.txt"), "no");
}

TEST_F(FileAccessTest, RootsAreResolvedOnceAndHiddenFoldersAboveARootDoNotCount) {
  fs::create_directories(base_ / ".store/char");
  Put(".store/char/a.txt", "a");
  fs::create_directory_symlink(base_ / ".store/char", base_ / "linked");
  sandbox::FileRoots roots;
  roots.characterFolder = (base_ / "linked").string();
  const sandbox::FileAccess access(roots);
  EXPECT_EQ(access.Readable("a.txt"), Path(".store/char/a.txt"));
  EXPECT_EQ(access.Readable(Path("linked/a.txt")), Path(".store/char/a.txt"));
  // Moving the link elsewhere later changes nothing: the root was opened at start.
  fs::remove(base_ / "linked");
  fs::create_directory_symlink(base_ / "outside", base_ / "linked");
  EXPECT_FALSE(access.Readable("secret.txt"));
  roots.characterFolder = "/";
  EXPECT_FALSE(sandbox::FileAccess(roots).Readable("/etc/hostname"));
}

TEST_F(FileAccessTest, TheHomeFolderIsNeverTheTemporaryOrDocumentsRoot) {
  const char* home = std::getenv("HOME");
  const std::string saved = home ? home : "";
  ::setenv("HOME", (base_ / "outside").c_str(), 1);
  sandbox::FileRoots roots;
  roots.documentsFolder = (base_ / "outside").string();
  const sandbox::FileAccess access(roots);
  EXPECT_FALSE(access.Readable(Path("outside/secret.txt")));
  ::setenv("HOME", saved.c_str(), 1);
}

TEST_F(FileAccessTest, TheSystemsOwnFilesAndTheProgramAreNeverReplaced) {
  EXPECT_FALSE(access_.Write(Path("temp/extracted.bmp"), Bytes("x")));
  EXPECT_EQ(Content("temp/extracted.bmp"), "resource");
  // What the scripts themselves put into the temporary folder they may write again.
  ASSERT_TRUE(access_.Write(Path("temp/mine.txt"), Bytes("1")));
  EXPECT_TRUE(access_.Write(Path("temp/MINE.txt"), Bytes("2")));
  EXPECT_EQ(Content("temp/mine.txt"), "2");
  EXPECT_FALSE(access_.Write("player.exe", Bytes("x")));
  EXPECT_EQ(Content("character/player.exe"), "program");
  ::mkfifo(Path("character/pipe").c_str(), 0600);
  EXPECT_FALSE(access_.Write("pipe", Bytes("x")));
  EXPECT_FALSE(access_.Write("sub", Bytes("x")));
  EXPECT_FALSE(access_.Write("Evil.DESKTOP", Bytes("x")));
}

TEST_F(FileAccessTest, APlayerCopyKeepsItsModeAndStaysOutOfCommandFolders) {
  EXPECT_TRUE(access_.WritePlayerCopy("copy.exe", Bytes("image"), 0755));
  struct stat info {};
  ASSERT_EQ(::stat(Path("character/copy.exe").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0755u);
  EXPECT_TRUE(access_.WritePlayerCopy("player.exe", Bytes("new image"), 0755)) << "the copy may replace itself";
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  ::setenv("PATH", ("/usr/bin:" + Path("docs")).c_str(), 1);
  EXPECT_FALSE(access_.WritePlayerCopy(Path("docs/ls"), Bytes("image"), 0755));
  EXPECT_FALSE(fs::exists(base_ / "docs/ls"));
  ::setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace kpf::test
