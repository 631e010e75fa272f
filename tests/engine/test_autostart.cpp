// "Run On Startup" as an XDG autostart file, in a temporary XDG_CONFIG_HOME.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "PlayerHarness.hpp"
#include "engine/AutostartEntry.hpp"

namespace kpf::test {
namespace {

namespace fs = std::filesystem;

class Autostart : public testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::temp_directory_path() / ("kpf-autostart-" + std::to_string(::getpid()));
    fs::create_directories(home_);
    ::setenv("XDG_CONFIG_HOME", home_.c_str(), 1);
    ::setenv("KPF_SETTINGS_DIR", (home_ / "settings").c_str(), 1);
  }
  void TearDown() override { fs::remove_all(home_); }

  // A started player titled "Pet" at /opt/pet/pet; option 3 shows "Run On Startup".
  std::unique_ptr<Harness<>> StartedPet(bool preview = false,
                                        std::vector<std::vector<project::TKPFExeAction>> scripts = {}) {
    project::ProjectSource source = WithVariables({});
    source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
    source.OptionFlags = {0, 1, 1, 1};
    AddScripts(source, std::move(scripts));
    engine::PlayerOptions options;
    options.executablePath = "/opt/pet/pet";
    options.preview = preview;
    auto h = std::make_unique<Harness<>>(source, options);
    h->player->SetHeader({"", "", "Pet", 0});
    EXPECT_TRUE(h->player->Start());
    return h;
  }

  fs::path home_;
};

TEST_F(Autostart, WritesChecksAndDeletes) {
  const engine::AutostartEntry entry("My Pet", "/opt/pets/my pet");
  EXPECT_EQ(entry.FilePath(), (home_ / "autostart" / "kpfplayer-My_Pet.desktop").string());
  EXPECT_FALSE(entry.IsEnabled());
  ASSERT_TRUE(entry.Enable());
  EXPECT_TRUE(entry.IsEnabled());
  EXPECT_TRUE(engine::AutostartEntry("My Pet", "/OPT/PETS/MY PET").IsEnabled());
  EXPECT_FALSE(engine::AutostartEntry("My Pet", "/other").IsEnabled());
  std::ifstream in(entry.FilePath());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Exec=\"/opt/pets/my pet\""), std::string::npos);
  EXPECT_TRUE(entry.Disable());
  EXPECT_FALSE(fs::exists(entry.FilePath()));
  EXPECT_TRUE(entry.Disable());
}

TEST_F(Autostart, UntrustedTitlesAndPathsAddNoFilesKeysOrFieldCodes) {
  for (auto [title, name] : {std::pair{"a/b\\c", "kpfplayer-a_b_c"}, {"..", "kpfplayer-__"}, {"", "kpfplayer-"},
                             {"x\ny%z", "kpfplayer-x_y_z"}, {"Pet-2_b", "kpfplayer-Pet-2_b"}, {"\xE4", "kpfplayer-_"}})
    EXPECT_EQ(engine::AutostartEntry::SanitisedName(title), name) << title;
  const engine::AutostartEntry entry("../../evil", "/bin/x");
  EXPECT_EQ(fs::path(entry.FilePath()).parent_path(), home_ / "autostart");
  const std::string text = engine::AutostartEntry::DesktopEntryText("T\nHidden=true\r", "/a \"b\"$c 100%");
  EXPECT_NE(text.find("Exec=\"/a \\\\\"b\\\\\"\\\\$c 100%%\"\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Name=T Hidden=true \n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\nHidden"), std::string::npos) << text;
  // A relative program path becomes absolute: the launcher starts it from no particular folder.
  EXPECT_NE(engine::AutostartEntry::DesktopEntryText("T", "pet").find("Exec=\"" + (fs::current_path() / "pet").string()),
            std::string::npos);
}

TEST_F(Autostart, ScriptActionsWriteAndRemoveOnlyTheirOwnEntry) {
  auto pet = StartedPet(false, {{Act(46)}, {Act(47)}});
  Harness<>& h = *pet;
  fs::create_directories(home_ / "autostart");
  std::ofstream(home_ / "autostart" / "Pet.desktop") << "[Desktop Entry]\n";  // someone else's
  h.Fire(1);
  EXPECT_TRUE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
  EXPECT_TRUE(h.player->Menu().Command(engine::MenuCommand::RunOnStartup)->checked);
  h.Fire(2);
  EXPECT_FALSE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
  EXPECT_TRUE(fs::exists(home_ / "autostart" / "Pet.desktop"));
  EXPECT_FALSE(h.player->Menu().Command(engine::MenuCommand::RunOnStartup)->checked);

  // A project file played by the generic player writes nothing.
  StartedPet(true, {{Act(46)}})->Fire(1);
  EXPECT_FALSE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
}

TEST_F(Autostart, MenuEntryTogglesTheFileButNotOnPreview) {
  auto h = StartedPet();
  auto* item = h->player->Menu().Command(engine::MenuCommand::RunOnStartup);
  ASSERT_TRUE(item->visible);
  EXPECT_FALSE(item->checked);
  h->player->RunOnStartupClick();
  EXPECT_TRUE(item->checked);
  EXPECT_TRUE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
  h->player->RunOnStartupClick();
  EXPECT_FALSE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
  auto preview = StartedPet(true);
  item = preview->player->Menu().Command(engine::MenuCommand::RunOnStartup);
  EXPECT_EQ(item->caption, "Run on startup disabled on preview");
  EXPECT_FALSE(item->enabled);
}

TEST_F(Autostart, UninstallRemovesEntryAfterConfirmation) {
  auto h = StartedPet();
  engine::AutostartEntry("Pet", "/opt/pet/pet").Enable();
  h->platform.QueueMessageBoxAnswer(platform::MessageBoxResult::No);
  h->player->UninstallClick();
  EXPECT_FALSE(h->player->Closed());
  h->platform.QueueMessageBoxAnswer(platform::MessageBoxResult::Yes);
  h->player->UninstallClick();
  EXPECT_TRUE(h->player->Closed());
  EXPECT_FALSE(fs::exists(home_ / "autostart" / "kpfplayer-Pet.desktop"));
}

}  // namespace
}  // namespace kpf::test
