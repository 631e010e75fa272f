// The character actions: speech hint, named sounds, stopping sounds, showing and hiding the
// character, mute and unmute, and the popup menu at the pointer.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"
#include "engine/DesktopServices.hpp"
#include "engine/RecordingSoundOutput.hpp"

namespace kpf::test {
namespace {

using project::TKPFExeAction;

// Script n + 1 runs scripts[n].
project::ProjectSource CharacterProject(std::vector<std::vector<TKPFExeAction>> scripts) {
  project::ProjectSource source = WithVariables({"N"});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10));
  for (const char* name : {"beep.wav", "Chirp.wav", "CHIRP.WAV"}) source.Sounds.push_back({.Name = name, .Data = {1, 2}});
  AddScripts(source, std::move(scripts), "main");
  project::MenuSource entry;
  entry.Caption = "Say hello";
  source.Menus = {entry};
  return source;
}

// A started, visible player with the desktop services and a recording sound output whose lines
// join the player's trace.
struct CharacterActions {
  explicit CharacterActions(std::vector<std::vector<TKPFExeAction>> scripts, engine::PlayerOptions options = {})
      : h(CharacterProject(std::move(scripts)), std::move(options)) {
    h.player->SetSoundOutput(&sound);
    EXPECT_TRUE(h.player->Start());
    h.player->SetVisible(true);
  }

  Harness<> h;
  engine::DesktopServices services{h.platform, *h.player};
  engine::RecordingSoundOutput sound{[this](const std::string& line) { h.trace.push_back(line); },
                                     [this] { return h.player->NowMs(); }};
};

TEST(CharacterActionsTest, ShowHintOpensTheBubbleRelativeToTheWindow) {
  CharacterActions c({{Act(22, {P::Var(1), P::Text("7")}),
                       Act(2, {P::Text("Hi <%N%>"), P::Text("10"), P::Text("2*5"), P::Text("20")})}});
  c.h.player->SetPosition(100, 200);
  c.h.Fire(1);
  auto* window = c.h.platform.LastHintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->Visible());
  EXPECT_EQ(window->Bounds().bottom, 210);
  // The countdown closing it is in the character_actions golden trace.
  EXPECT_TRUE(c.h.Traced("hint text=\"Hi 7\" x=110 y=210 ticks=20"));
}

TEST(CharacterActionsTest, PlaySoundNamedTakesTheLastCaseInsensitiveMatchUnlessMuted) {
  CharacterActions c({{Act(74), Act(19, {P::Text("beep.wav"), P::Int(0)}), Act(75),
                       Act(19, {P::Text("chirp.WAV"), P::Int(1)}), Act(19, {P::Text("missing.wav"), P::Int(0)}),
                       Act(19, {P::Text("BEEP.wav"), P::Int(2)}), Act(45)}});
  c.h.Fire(1);
  EXPECT_TRUE(c.h.Traced("sound index=2 name=\"CHIRP.WAV\" kind=101 mode=2"));
  EXPECT_TRUE(c.h.Traced("sound index=0 name=\"beep.wav\" kind=101 mode=3"));
  EXPECT_EQ(c.h.Count(" sound "), 2u);
  EXPECT_EQ(c.h.Count("sound-stop"), 1u);
  EXPECT_FALSE(c.h.player->Muted());
  EXPECT_FALSE(c.h.player->Menu().Command(engine::MenuCommand::Mute)->checked);
}

TEST(CharacterActionsTest, HideAndShowOnlyChangeTheOtherState) {
  // Hiding mutes; a second hide changes nothing; showing unhides and unmutes; showing an already
  // visible character leaves a mute in place.
  CharacterActions c({{Act(73), Act(73)}, {Act(72)}, {Act(74), Act(72)}});
  c.h.Fire(1);
  EXPECT_FALSE(c.h.player->IsVisible());
  EXPECT_TRUE(c.h.player->Muted());
  EXPECT_EQ(c.h.player->Menu().Command(engine::MenuCommand::Hide)->caption, "Show");
  c.h.Fire(2);
  EXPECT_TRUE(c.h.player->IsVisible());
  EXPECT_FALSE(c.h.player->Muted());
  EXPECT_EQ(c.h.player->Menu().Command(engine::MenuCommand::Hide)->caption, "Hide");
  c.h.Fire(3);
  EXPECT_TRUE(c.h.player->IsVisible());
  EXPECT_TRUE(c.h.player->Muted());
}

TEST(CharacterActionsTest, ShowPopupMenuOpensTheMenuAtThePointer) {
  CharacterActions c({{Act(213)}});
  c.h.platform.SetPointer(platform::Point{40, 50});
  c.h.Fire(1);
  auto* menu = c.h.platform.LastPopupMenu();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->Popups().size(), 1u);
  EXPECT_EQ(menu->Popups()[0].at, (platform::Point{40, 50}));
  EXPECT_EQ(menu->Popups()[0].entries.front().caption, "Say hello");
  EXPECT_TRUE(c.h.Traced("popup"));
}

TEST(CharacterActionsTest, ShowPopupMenuDoesNothingWithoutAMenu) {
  // Before the start the player has no popup menu attached.
  Harness<> h(CharacterProject({{Act(213)}}));
  engine::DesktopServices services{h.platform, *h.player};
  h.Fire(1);
  auto* menu = h.platform.LastPopupMenu();
  EXPECT_TRUE(menu == nullptr || menu->Popups().empty());
  EXPECT_FALSE(h.Traced("popup"));
}

// Without the main form (kpftool, tests) the actions on other characters do nothing, while a
// copy of the player for a project file still starts, numbered from 0 and told this title.
// Options of a character whose folder is `folder`.
engine::PlayerOptions InFolder(const std::filesystem::path& folder) {
  engine::PlayerOptions options;
  options.currentFolder = folder.string();
  return options;
}

TEST(OtherCharactersTest, WithoutTheMainFormOnlyProjectInstancesStart) {
  const std::filesystem::path other = WriteProjectFile(WithVariables({}), "other.kpf");
  CharacterActions c({{Act(22, {P::Var(1), P::Text("7")}), Act(100, {P::Text(other.string()), P::Var(1)}),
                       Act(154, {P::Var(1), P::Var(1)}), Act(173, {P::Var(1)}), Act(174),
                       Act(83, {P::Text(other.string())}), Act(83, {P::Text("missing.kpf")}),
                       Act(83, {P::Text(other.string())})}},
                     // The project file lies in the character's folder, so the file rules let it pass.
                     InFolder(other.parent_path()));
  c.h.player->Title = "Pip";
  c.h.Fire(1);
  EXPECT_EQ(c.h.Int("N"), 7);
  EXPECT_FALSE(c.h.player->Closed());
  EXPECT_EQ(c.h.player->ChildInstanceCount(), 2);
  EXPECT_EQ(c.h.platform.StartedPrograms(),
            (std::vector<std::vector<std::string>>{{"", other.string(), "-ve0", "-vhPip"},
                                                   {"", other.string(), "-ve1", "-vhPip"}}));
  EXPECT_TRUE(c.h.Traced("instance file=\"" + other.string() + "\" number=1 started=1"));
}

// A name that resolves to nothing loads nothing: no empty name reaches the main form (which would
// load the player's own package, a copy of this character).
TEST(OtherCharactersTest, LoadCharacterOfANameThatResolvesToNothingLoadsNothing) {
  const std::filesystem::path other = WriteProjectFile(WithVariables({}), "other");
  CharacterActions c({{Act(22, {P::Var(1), P::Text("7")}), Act(100, {P::Text("missing.kpf"), P::Var(1)}),
                       Act(100, {P::Text("{temp}\\nothing.kpf")}), Act(100, {P::Text("other.kpf"), P::Var(1)})}},
                     InFolder(other.parent_path()));
  std::vector<std::string> loaded;
  engine::MainFormHandlers handlers;
  handlers.createPlayer = [&](int32_t, const std::string& file) {
    loaded.push_back(file);
    return int32_t{42};
  };
  c.h.player->SetMainFormHandlers(std::move(handlers));
  c.h.Fire(1);
  EXPECT_EQ(loaded, std::vector<std::string>{other.string()});
  EXPECT_EQ(c.h.Int("N"), 42);
  EXPECT_EQ(c.h.player->ChildInstanceCount(), 1) << "only the load that happened took a number";
}

// Copies of the player count among the process's running programs: at most 16 at once.
TEST(OtherCharactersTest, ProjectInstancesStopAtSixteenLiveChildren) {
  const std::filesystem::path other = WriteProjectFile(WithVariables({}), "other");
  CharacterActions c({{Act(83, {P::Text(other.string())})}}, InFolder(other.parent_path()));
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < engine::kMaxOpeningsPerWindow; ++i) c.h.Fire(1);
    c.h.platform.AdvanceBy(engine::kOpeningWindowMs);
  }
  EXPECT_EQ(c.h.platform.StartedPrograms().size(), engine::kMaxLiveChildProcesses);
  EXPECT_EQ(c.h.Count("started=0"), 4u);
  c.h.platform.EndProcesses();
  c.h.Fire(1);
  EXPECT_EQ(c.h.platform.StartedPrograms().size(), engine::kMaxLiveChildProcesses + 1);
  c.h.platform.EndProcesses();
}

}  // namespace
}  // namespace kpf::test
