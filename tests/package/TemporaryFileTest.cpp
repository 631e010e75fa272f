// The per-user settings store, and the temporary-file service with its delete lists kept in it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <random>

#include "package/PrivateTempFolder.hpp"
#include "package/ProcessTag.hpp"
#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

// Every store replaces the file, so an unchanged inode means nothing was written.
ino_t InodeOf(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

using testing::ScratchFolder;

class SettingsKeyTest : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  std::vector<std::string> messages;
  SettingsKey key{SettingsKey::DefaultFolder(), [this](const std::string& text) { messages.push_back(text); }};
};

TEST_F(SettingsKeyTest, StoreLivesInTheOverriddenFolderElseUnderXdgThenHome) {
  EXPECT_EQ(key.FilePath(), scratch.Settings() + "/settings.ini");
  for (int i = 0; i < 5; ++i) key.WriteSettingInt("V" + std::to_string(i), i);
  // Writes leave no temporary files behind.
  EXPECT_EQ(ScratchFolder::Names(scratch.Settings()), (std::vector<std::string>{"settings.ini", "settings.lock"}));

  ::unsetenv("KPF_SETTINGS_DIR");
  std::string oldXdg = getenv("XDG_CONFIG_HOME") ? getenv("XDG_CONFIG_HOME") : "";
  std::string oldHome = getenv("HOME") ? getenv("HOME") : "";
  ::setenv("XDG_CONFIG_HOME", "/xdg", 1);
  EXPECT_EQ(SettingsKey::DefaultFolder(), "/xdg/kpfplayer");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(SettingsKey::DefaultFolder(), "/home/someone/.config/kpfplayer");
  ::setenv("HOME", oldHome.c_str(), 1);
  if (!oldXdg.empty()) ::setenv("XDG_CONFIG_HOME", oldXdg.c_str(), 1);
}

TEST_F(SettingsKeyTest, TextAndIntegerValuesInSubKeysAndMissingValuesGiveTheDefaultWithoutMessage) {
  EXPECT_EQ(key.ReadSetting("Nothing", "def"), "def");
  EXPECT_EQ(key.ReadSettingInt("Sub\\Nothing", 7), 7);
  EXPECT_FALSE(key.DeleteSetting("NoKey\\Value"));
  key.WriteSetting("TemporaryFolder", "/data/tmp");
  key.WriteSetting("My Title\\NAME", "Bob");
  key.WriteSettingInt("My Title\\COUNT", -12);
  key.WriteSettingInt("A\\B\\Deep", 3);
  EXPECT_EQ(key.ReadSetting("TemporaryFolder", ""), "/data/tmp");
  EXPECT_EQ(key.ReadSetting("my title\\name", ""), "Bob");  // names match without regard to case
  EXPECT_EQ(key.ReadSettingInt("My Title\\COUNT", 0), -12);
  EXPECT_EQ(key.ReadSetting("My Title\\COUNT", ""), "-12");
  EXPECT_EQ(key.ReadSettingInt("a\\b\\deep", 0), 3);
  EXPECT_EQ(key.ReadSetting("NAME", "root"), "root");  // the value lives in the sub-key only
  EXPECT_EQ(key.SubKeyNames(""), (std::vector<std::string>{"My Title", "A"}));
  EXPECT_EQ(key.SubKeyNames("A"), std::vector<std::string>{"B"});

  key.WriteSetting("MY TITLE\\name", "Ann");  // replaces, keeps one value
  EXPECT_EQ(key.ReadSetting("My Title\\NAME", ""), "Ann");
  EXPECT_TRUE(key.DeleteSetting("My Title\\NAME"));
  EXPECT_EQ(key.ReadSetting("My Title\\NAME", "gone"), "gone");
  EXPECT_TRUE(key.DeleteSetting("My Title\\NAME"));  // the key still exists
  EXPECT_TRUE(key.DeleteKey("A"));
  EXPECT_EQ(key.ReadSettingInt("A\\B\\Deep", 0), 0);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsKeyTest, WritesThatChangeNothingLeaveTheFileUntouched) {
  key.WriteSetting("Key\\Text", "a");
  key.WriteSettingInt("Key\\Number", 5);
  const ino_t written = InodeOf(key.FilePath());
  ASSERT_NE(written, 0u);
  key.WriteSetting("Key\\Text", "a");
  key.WriteSettingInt("Key\\Number", 5);
  const std::pair<std::string, std::string> both[] = {{"Key\\Text", "a"}, {"Key\\Other", ""}};
  key.WriteSettings(std::span(both).first(1));
  EXPECT_FALSE(key.DeleteSetting("Missing\\Value"));
  EXPECT_EQ(InodeOf(key.FilePath()), written);
  key.WriteSettings(both);  // one new value: one replacement with both
  EXPECT_NE(InodeOf(key.FilePath()), written);
  EXPECT_EQ(key.ReadSetting("Key\\Other", "<none>"), "");
  EXPECT_EQ(key.ReadSetting("Key\\Text", ""), "a");
  EXPECT_EQ(key.ReadSettingInt("Key\\Number", 0), 5);
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsKeyTest, AwkwardBytesSurviveTheFile) {
  const std::string text = "line1\r\nline2=[x]%41 #no comment\x01\xE9";
  const std::string name = "#name=[1]%";
  key.WriteSetting("Sub]Key[\\" + name, text);
  key.WriteSetting(";%;list", ";%;/tmp/a;%;/tmp/b");
  SettingsKey other(scratch.Settings(), nullptr);
  EXPECT_EQ(other.ReadSetting("Sub]Key[\\" + name, ""), text);
  EXPECT_EQ(other.ReadSetting(";%;list", ""), ";%;/tmp/a;%;/tmp/b");
  EXPECT_EQ(other.SubKeyNames(""), std::vector<std::string>{"Sub]Key["});
}

TEST_F(SettingsKeyTest, TextThatIsNoNumberIsAReadErrorAndDamagedLinesAreIgnored) {
  key.WriteSetting("Number", "12abc");
  EXPECT_EQ(key.ReadSettingInt("Number", 5), 5);
  key.WriteSetting("Number", "34");
  EXPECT_EQ(key.ReadSettingInt("Number", 5), 34);
  EXPECT_EQ(messages, std::vector<std::string>{"Error reading registry"});

  scratch.Write("settings/settings.ini", testing::ToBytes("garbage\nX=s:before\n[]\nA=s:ok\nB=i:notanumber\nC=q:x\nD=i:9\n[Sub\n"));
  EXPECT_EQ(key.ReadSetting("A", ""), "ok");
  EXPECT_EQ(key.ReadSetting("X", "none"), "none");
  EXPECT_EQ(key.ReadSettingInt("B", -1), -1);
  EXPECT_EQ(key.ReadSettingInt("D", -1), 9);
}

TEST_F(SettingsKeyTest, FailuresShowTheMessages) {
  // A file where the store's folder should be: nothing can be written below it.
  std::string blocked = scratch.Write("blocked", testing::ToBytes("x"));
  SettingsKey broken(blocked + "/kpfplayer", [this](const std::string& text) { messages.push_back(text); });
  broken.WriteSetting("Value", "x");
  broken.WriteSettingInt("Value", 1);
  EXPECT_EQ(broken.ReadSetting("Value", "def"), "def");
  EXPECT_EQ(messages, (std::vector<std::string>{"Error writing registry", "Error writing registry"}));
  // A store that exists but cannot be read.
  std::filesystem::create_directories(scratch.Settings() + "/settings.ini");
  EXPECT_EQ(key.ReadSetting("Value", "def"), "def");
  EXPECT_FALSE(key.DeleteSetting("Value"));
  EXPECT_EQ(messages.back(), "Error reading registry");
  EXPECT_EQ(messages.size(), 4u);
}

// ---- temporary files ----

// A tag of a process that cannot run: pids never reach this value.
constexpr const char* kEndedProcess = "4194999-1";

class TemporaryFileTest : public ::testing::Test {
 protected:
  std::string StoredList(const std::string& tag, const char* value) {
    return settings.ReadSetting("TemporaryFiles\\" + tag + "\\" + value, "<none>");
  }
  void StoreList(const std::string& tag, const char* value, const std::string& list) {
    settings.WriteSetting("TemporaryFiles\\" + tag + "\\" + value, list);
  }
  // The private folder a service made for its files.
  static std::string FolderOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }
  // Relative to the scratch root, for ScratchFolder::Write.
  std::string Relative(const std::string& path) const { return path.substr(scratch.Root().size() + 1); }

  ScratchFolder scratch;
  std::vector<std::string> messages;
  SettingsKey settings{scratch.Settings(), [this](const std::string& text) { messages.push_back(text); }};
  TTemporaryFile::ErrorReporter report = [this](const std::string& text) { messages.push_back(text); };
};

// Names are 0_<number below 65535>.<extension> in a private folder inside the configured
// folder, with or without its trailing slash; a configured folder that does not exist falls back
// to the system folder.
TEST_F(TemporaryFileTest, NamesInsideTheConfiguredFolderWithAndWithoutDotAreAlike) {
  std::filesystem::create_directories(scratch.Path("custom"));
  for (auto [configured, parent] : {std::pair{scratch.Path("custom"), scratch.Path("custom")},
                                    {scratch.Path("custom") + "/", scratch.Path("custom")},
                                    {scratch.Path("missing"), scratch.Tmp()}}) {
    settings.WriteSetting("TemporaryFolder", configured);
    TTemporaryFile service(settings, report);
    for (std::string name : {service.GetTempFileName(".tavi"), service.GetTempFileName("tavi")}) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(name.ends_with(".tavi"));
      std::string base = name.substr(name.rfind('/') + 1);
      EXPECT_TRUE(base.starts_with("0_"));
      int number = std::stoi(base.substr(2));
      EXPECT_TRUE(number >= 0 && number <= 65534) << number;
      EXPECT_EQ(FolderOf(FolderOf(name)), parent);
      EXPECT_EQ(name.find("//"), std::string::npos);
      EXPECT_FALSE(std::filesystem::exists(name));
    }
  }
  EXPECT_TRUE(TTemporaryFile(settings, report).GetTempFileName("a/../b").ends_with(".a_.._b"));
}

// The file and its folder are only for this user.
TEST_F(TemporaryFileTest, CreateTempFileWritesIntoAPrivateFolderRegistersAndCleansUp) {
  std::string path, folder;
  {
    TTemporaryFile service(settings, report);
    path = service.CreateTempFile(".wav", testing::ToBytes("RIFF"));
    ASSERT_FALSE(path.empty());
    folder = FolderOf(path);
    struct stat info;
    ASSERT_EQ(::lstat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(service.Folders(), std::vector<std::string>{folder});
    EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteFolder"), ";%;" + folder);
    EXPECT_EQ(ScratchFolder::Read(path), "RIFF");
    EXPECT_EQ(service.Files(), std::vector<std::string>{path});
    EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteList"), path);  // first entry without separator
    std::string second = service.CreateTempFile("wav", testing::ToBytes("2"));
    EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteList"), path + ";%;" + second);
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_TRUE(settings.SubKeyNames("TemporaryFiles").empty());
  EXPECT_TRUE(messages.empty());
}

TEST_F(TemporaryFileTest, StaleEntryOfThisProcessIsDroppedAndStoredEmpty) {
  const std::string tag = "4194998-7";
  StoreList(tag, "DeleteList", ";%;" + scratch.Tmp() + "/kpfplayer-abcdef/0_1.tavi");
  TTemporaryFile service(settings, report, tag);
  EXPECT_TRUE(service.Files().empty());
  EXPECT_EQ(StoredList(tag, "DeleteList"), "");
  EXPECT_EQ(StoredList(tag, "DeleteFolder"), "");
}

TEST_F(TemporaryFileTest, StartWithNothingToChangeWritesNoSettings) {
  const std::string tag = "4194998-8";
  { TTemporaryFile first(settings, report, tag); }
  StoreList(tag, "DeleteList", "");  // as a process that was killed leaves its empty lists
  StoreList(tag, "DeleteFolder", "");
  const ino_t stored = InodeOf(settings.FilePath());
  TTemporaryFile again(settings, report, tag);  // adopts its own lists and cleans up: all empty
  EXPECT_EQ(InodeOf(settings.FilePath()), stored);
  again.SaveLists();
  EXPECT_EQ(InodeOf(settings.FilePath()), stored);
  const std::string folder = again.NewFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(InodeOf(settings.FilePath()), stored);
  EXPECT_EQ(StoredList(tag, "DeleteFolder"), ";%;" + folder);
  again.RemoveFolder(folder);
  EXPECT_EQ(StoredList(tag, "DeleteFolder"), "");
  EXPECT_TRUE(messages.empty());
}

TEST_F(TemporaryFileTest, LeftoversOfEndedProcessesAreDeleted) {
  std::string pattern = scratch.Tmp() + "/kpfplayer-XXXXXX";
  std::string folder = ::mkdtemp(pattern.data());
  std::string file = scratch.Write(Relative(folder) + "/0_12.tavi", testing::ToBytes("x"));
  StoreList(kEndedProcess, "DeleteList", ";%;" + file);
  StoreList(kEndedProcess, "DeleteFolder", ";%;" + folder);
  TTemporaryFile service(settings, report);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(std::filesystem::exists(folder));
  EXPECT_TRUE(service.Files().empty());
  EXPECT_EQ(settings.SubKeyNames("TemporaryFiles"), std::vector<std::string>{CurrentProcessTag()});
}

// A character's own folder lives as long as the character, survives clean-ups meanwhile, and goes
// with what its scripts left in it; one a killed process left behind goes at the next start.
TEST_F(TemporaryFileTest, CharacterFoldersGoWithTheirContentNowOrAtTheNextStart) {
  TTemporaryFile service(settings, report);
  std::string live;
  {
    PrivateTempFolder folder(&service);
    live = folder.Path();
    ASSERT_TRUE(TTemporaryFile::IsServiceFolderName(live));
    scratch.Write(Relative(live) + "/saved.txt", testing::ToBytes("x"));
    service.CleanUp();
    EXPECT_TRUE(std::filesystem::exists(live + "/saved.txt"));
  }
  EXPECT_FALSE(std::filesystem::exists(live));
  EXPECT_TRUE(service.Folders().empty());

  std::string pattern = scratch.Tmp() + "/kpfplayer-XXXXXX";
  const std::string left = ::mkdtemp(pattern.data());
  scratch.Write(Relative(left) + "/sub/left.txt", testing::ToBytes("x"));
  StoreList(kEndedProcess, "DeleteFolder", ";%;" + left);
  TTemporaryFile later(settings, report, "4194997-1");
  EXPECT_FALSE(std::filesystem::exists(left));
}

TEST_F(TemporaryFileTest, LiveFilesOfAnotherRunningPlayerAreKept) {
  TTemporaryFile first(settings, report);
  std::string path = first.CreateTempFile("tavi", testing::ToBytes("live"));
  std::string otherTag = ProcessTag(::getppid());
  ASSERT_TRUE(IsProcessAlive(otherTag));
  {
    TTemporaryFile second(settings, report, otherTag);
    EXPECT_TRUE(second.Files().empty());
  }
  EXPECT_EQ(ScratchFolder::Read(path), "live");
  EXPECT_EQ(first.Files(), std::vector<std::string>{path});
  EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteList"), path);
}

TEST_F(TemporaryFileTest, NamesOutsideOurFoldersAreDroppedNotDeleted) {
  std::string outside = scratch.Write("precious.txt", testing::ToBytes("keep"));
  std::string fakeFolder = scratch.Path("kpfplayer-zzzzzz");  // right name, but a link to elsewhere
  std::filesystem::create_directory_symlink(scratch.Tmp(), fakeFolder);
  std::string viaLink = scratch.Write("tmp/0_1.tavi", testing::ToBytes("keep"));
  StoreList(kEndedProcess, "DeleteList", ";%;" + outside + ";%;" + fakeFolder + "/0_1.tavi;%;relative/kpfplayer-aaaaaa/x");
  StoreList(kEndedProcess, "DeleteFolder", ";%;" + scratch.Root() + ";%;" + fakeFolder);
  TTemporaryFile service(settings, report);
  service.RegisterFile(outside);
  service.RegisterFile(scratch.Tmp() + "/kpfplayer-abc/../../precious.txt");
  service.CleanUp();
  EXPECT_EQ(ScratchFolder::Read(outside), "keep");
  EXPECT_EQ(ScratchFolder::Read(viaLink), "keep");
  EXPECT_TRUE(std::filesystem::exists(fakeFolder));
  EXPECT_TRUE(service.Files().empty());
  EXPECT_TRUE(service.Folders().empty());
  EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteList"), "");
}

TEST_F(TemporaryFileTest, UndeletableEntryStaysListed) {
  TTemporaryFile service(settings, report);
  std::string folder = FolderOf(service.GetTempFileName("t"));
  // unlink cannot remove a folder: the entry stands for a file that is locked.
  std::string locked = folder + "/0_77.tavi";
  std::filesystem::create_directories(locked + "/inner");
  service.RegisterFile(locked);
  service.CleanUp();
  EXPECT_EQ(service.Files(), std::vector<std::string>{locked});
  EXPECT_EQ(service.Folders(), std::vector<std::string>{folder});  // not empty, so it stays too
  EXPECT_EQ(StoredList(CurrentProcessTag(), "DeleteList"), ";%;" + locked);
  std::filesystem::remove_all(locked);
}

TEST_F(TemporaryFileTest, NameSearchGivesUpAfterAThousandTries) {
  TTemporaryFile service(settings, report);
  std::string folder = FolderOf(service.GetTempFileName("t"));
  std::minstd_rand replay(1234);
  for (int i = 0; i < TTemporaryFile::kMaxNameTries; ++i)
    scratch.Write(Relative(folder) + "/0_" + std::to_string(replay() % 65535) + ".t", {});
  service.SeedNameGenerator(1234);
  EXPECT_EQ(service.GetTempFileName("t"), "");
  service.SeedNameGenerator(1234);
  EXPECT_EQ(service.CreateTempFile("t", testing::ToBytes("x")), "");
  EXPECT_EQ(messages, (std::vector<std::string>{"Error creating temporary file", "Error creating temporary file"}));
  std::filesystem::remove_all(folder);
}

TEST_F(TemporaryFileTest, UnusableTemporaryFolderReportsTheError) {
  ::setenv("TMPDIR", scratch.Path("missing").c_str(), 1);
  TTemporaryFile service(settings, report);
  EXPECT_EQ(service.GetTempFileName("t"), "");
  EXPECT_EQ(service.CreateTempFile("t", testing::ToBytes("x")), "");
  EXPECT_TRUE(service.Files().empty());
  EXPECT_EQ(messages, (std::vector<std::string>{"Error creating temporary file", "Error creating temporary file"}));
}

TEST(DeleteList, StoredForm) {
  EXPECT_EQ(JoinDeleteList({}), "");
  EXPECT_EQ(JoinDeleteList({"/a", "/b"}), ";%;/a;%;/b");
  EXPECT_EQ(SplitDeleteList(";%;/a;%;;%;/b"), (std::vector<std::string>{"/a", "/b"}));
  EXPECT_EQ(SplitDeleteList("/a"), std::vector<std::string>{"/a"});
  EXPECT_TRUE(SplitDeleteList(";%;").empty());
}

TEST(ProcessTag, NamesLiveProcessesOnly) {
  EXPECT_TRUE(IsProcessAlive(CurrentProcessTag()));
  EXPECT_FALSE(IsProcessAlive(kEndedProcess));
  EXPECT_FALSE(IsProcessAlive(std::to_string(::getpid()) + "-1"));  // pid reused by a later process
  for (const char* bad : {"", "-", "abc-1", "0-1", "-5-1"}) EXPECT_FALSE(IsProcessAlive(bad)) << bad;
}

}  // namespace
}  // namespace kpf::package
