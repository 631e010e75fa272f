// Menu model, captions, visibility rules, check marks and project entries.
#include <gtest/gtest.h>

#include "PlayerHarness.hpp"

namespace kpf::test {
namespace {

using engine::MenuCommand;

project::ProjectSource MenuProject() {
  project::ProjectSource source = WithVariables({"HIT"});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10));
  return source;
}

TEST(Menu, OnlyEightCaptionsReplaceBuiltInsAndCloseWithoutExitAnimationClosesAtOnce) {
  auto source = MenuProject();
  source.MenuCaptions = {"1", "2", "3", "4", "5", "6", "7"};
  EXPECT_EQ(Started(source)->player->Menu().Command(MenuCommand::About)->caption, "About");
  source.MenuCaptions = {"Info", "Quit", "Quiet", "Autostart", "Hide it", "Top", "Remove", "Show it"};
  auto h = Started(source);
  auto& menu = h->player->Menu();
  EXPECT_EQ(menu.Command(MenuCommand::About)->caption, "Info");
  EXPECT_EQ(menu.Command(MenuCommand::Close)->caption, "Quit");
  EXPECT_EQ(menu.Command(MenuCommand::Hide)->caption, "Hide it");
  h->player->HideClick();
  EXPECT_EQ(menu.Command(MenuCommand::Hide)->caption, "Show it");
  h->player->HideClick();
  EXPECT_EQ(menu.Command(MenuCommand::Hide)->caption, "Hide it");
  // Without an exit animation Close closes at once (with one: the close_menu golden trace).
  h->player->CloseClick(true);
  EXPECT_TRUE(h->player->Closed());
  EXPECT_TRUE(h->player->Model.Animations.empty());
}

TEST(Menu, VisibilityRulesAndStayOnTop) {
  auto source = MenuProject();
  source.OptionFlags = {0, 1, 1, 0, 0, 0, 1};  // option 6 hides "Hide"
  auto h = Started(source);
  // Stay on top is hidden while option 0 is off, Mute because there are no sounds.
  for (auto command : {MenuCommand::StayOnTop, MenuCommand::Hide, MenuCommand::Mute, MenuCommand::RunOnStartup,
                       MenuCommand::Uninstall})
    EXPECT_FALSE(h->player->Menu().Command(command)->visible) << static_cast<int>(command);
  EXPECT_TRUE(h->player->Menu().Command(MenuCommand::About)->visible);

  source.OptionFlags = {1, 1, 1, 0, 0, 0, 0, 0, 1};  // on top from the start, option 8 hides the entry
  h = Started(source);
  const auto* entry = h->player->Menu().Command(MenuCommand::StayOnTop);
  EXPECT_TRUE(entry->checked);
  EXPECT_FALSE(entry->visible);
  EXPECT_TRUE(h->player->Window().Topmost());
  h->player->StayOnTopClick(true);
  EXPECT_FALSE(h->player->Window().Topmost());
  h->player->StayOnTopClick(true);
  EXPECT_TRUE(h->player->Window().Topmost());
}

TEST(Menu, AboutShowsMessageBoxUnlessTheHeaderHidesIt) {
  auto h = Started(MenuProject());
  h->player->SetHeader({"3.01", "Hello", "Pet", 0});
  h->player->AboutClick();
  ASSERT_EQ(h->platform.MessageBoxes().size(), 1u);
  EXPECT_NE(h->platform.MessageBoxes()[0].text.find("Tavimo Design 3.01"), std::string::npos);
  EXPECT_EQ(h->platform.MessageBoxes()[0].caption, "Pet");
  Harness hidden(MenuProject());
  hidden.player->SetHeader({"3.01", "about", "Pet", 1});
  hidden.player->Start();
  EXPECT_FALSE(hidden.player->Menu().Command(MenuCommand::About)->visible);
}

TEST(Menu, ProjectEntriesTreeOrderAndItemKeyCyclesEnd) {
  auto source = MenuProject();
  source.Menus = {{.Caption = "A"}, {.Caption = "B"}, {.Caption = "A1", .ItemKey = "A"},
                  {.Caption = "A2", .ItemKey = "A"}};
  auto h = Started(source);
  const auto& items = h->player->Menu().Items();
  ASSERT_GE(items.size(), 3u);
  EXPECT_EQ(std::tuple(items[0].caption, items[1].caption, items[2].command),
            std::tuple("A", "B", MenuCommand::Separator));
  ASSERT_EQ(items[0].children.size(), 2u);
  // Children in reverse list order.
  EXPECT_EQ(std::tuple(items[0].children[0].caption, items[0].children[1].caption), std::tuple("A2", "A1"));
  // Item keys that lead round in a cycle end the search.
  source.Menus = {{.Caption = "Top"}, {.Caption = "X", .ItemKey = "Top"}, {.Caption = "Top", .ItemKey = "X"},
                  {.Caption = "Self", .ItemKey = "Self"}};
  EXPECT_FALSE(Started(source)->player->Menu().Items().empty());
}

TEST(Menu, EntryRunsItsScriptAndMissingScriptIsHarmless) {
  auto source = MenuProject();
  source.Scripts.push_back(Script(7, "hit", {Act(22, {P::Var(1), P::Text("1")})}));
  source.NextScriptId = 8;
  source.Menus = {{.Caption = "Go", .ScriptId = 7}, {.Caption = "Broken", .ScriptId = 99}};
  source.WriteMenuExtras = true;
  auto h = Started(source);
  auto* broken = h->player->Menu().FindByCaption("broken");
  ASSERT_NE(broken, nullptr);
  h->player->ClickMenuItem(*broken);
  auto* go = h->player->Menu().FindByCaption("GO");
  ASSERT_NE(go, nullptr);
  h->player->ClickMenuItem(*go);
  EXPECT_EQ(h->Int("HIT"), 1);
  EXPECT_EQ(h->player->Context().menuTag, 1);
}

TEST(Menu, PropertyChangesAfterDeleteDoNothing) {
  auto source = MenuProject();
  source.Menus = {{.Caption = "Go"}};
  auto h = Started(source);
  auto& menu = h->player->Menu();
  h->player->SetMenuProperty("go", 1, "Went");
  ASSERT_NE(menu.FindByCaption("Went"), nullptr);
  h->player->SetMenuProperty("Went", 3, "");
  EXPECT_EQ(menu.FindByCaption("Went"), nullptr);
  h->player->SetMenuProperty("Went", 1, "Back");
  h->player->SetMenuProperty("Went", 6, "1");
  EXPECT_EQ(menu.FindByCaption("Back"), nullptr);
  EXPECT_EQ(menu.ProjectItem(-1), nullptr);
  h->player->SetMenuProperty("nothing", 2, "0");
  h->player->SetMenuProperty("", 0, "Added");
  EXPECT_NE(menu.FindByCaption("Added"), nullptr);
}

}  // namespace
}  // namespace kpf::test
