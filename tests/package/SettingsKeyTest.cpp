// The per-user settings store.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "package/SettingsKey.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

using testing::ScratchFolder;

class SettingsKeyTest : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  std::vector<std::string> messages;
  SettingsKey key{SettingsKey::DefaultFolder(), [this](const std::string& text) { messages.push_back(text); }};
};

TEST_F(SettingsKeyTest, StoreLivesInTheOverriddenFolderElseUnderXdgThenHome) {
  EXPECT_EQ(key.FilePath(), scratch.Settings() + "/settings.ini");
  key.WriteSetting("Value", "x");
  EXPECT_TRUE(std::filesystem::exists(key.FilePath()));

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

TEST_F(SettingsKeyTest, MissingValuesGiveTheDefaultWithoutMessage) {
  EXPECT_EQ(key.ReadSetting("Nothing", "def"), "def");
  EXPECT_EQ(key.ReadSettingInt("Sub\\Nothing", 7), 7);
  EXPECT_FALSE(key.DeleteSetting("NoKey\\Value"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsKeyTest, TextAndIntegerValuesInSubKeys) {
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

TEST_F(SettingsKeyTest, WritesLeaveNoTemporaryFiles) {
  for (int i = 0; i < 5; ++i) key.WriteSettingInt("V" + std::to_string(i), i);
  EXPECT_EQ(ScratchFolder::Names(scratch.Settings()), (std::vector<std::string>{"settings.ini", "settings.lock"}));
}

}  // namespace
}  // namespace kpf::package
