// The files a character's actions may reach: inside its roots, regular files, no hidden names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
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
    access_ = sandbox::FileAccess({.characterFolder = (base_ / "character").string(),
                                   .temporaryFolder = (base_ / "temp").string(),
                                   .documentsFolder = (base_ / "docs").string(),
                                   .executableFolder = {}});
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

}  // namespace
}  // namespace kpf::test
