// The player's desktop services on the recording desktop: the right-click menu built from the
// player's menu and its choices, entry pictures, cursors from the project, the tray icon's menu,
// hints and the About texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "desktop/PictureTransparency.hpp"
#include "engine/DesktopServices.hpp"
#include "engine/MenuPictureCache.hpp"
#include "engine/PlayerHarness.hpp"

namespace kpf::test {
namespace {

using engine::DesktopServices;
using engine::MenuCommand;

// A 24-bit BMP of 2 × 2 0xRRGGBB pixels given top row first.
std::vector<uint8_t> Bmp2x2(const std::vector<uint32_t>& pixels) {
  std::vector<uint8_t> file{'B', 'M'};
  const auto put = [&file](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file.push_back(static_cast<uint8_t>(value >> (8 * i)));
  };
  for (uint32_t value : {54u + 16u, 0u, 54u, 40u, 2u, 2u, 0x00180001u, 0u, 0u, 0u, 0u, 0u, 0u}) put(value, 4);
  for (int row : {1, 0}) {  // bottom row first, each padded to 8 bytes
    put(pixels[row * 2], 3);
    put(pixels[row * 2 + 1], 3);
    put(0, 2);
  }
  return file;
}

project::ProjectSource MenuProject() {
  project::ProjectSource source = WithVariables({"HIT"});
  source.Animations.push_back(Animation(1, "idle", 0, 0, 2, 10));
  source.Menus = {{.Caption = "Games", .Flags = 7}, {.Caption = "Chess", .ItemKey = "Games"}, {.Caption = "Broken"}};
  source.Menus[0].Image = Bmp2x2({0x00FF00, 0xFF0000, 0x0000FF, 0x00FF00});
  source.Menus[0].ImageColor = 0x00FF00;  // TColor green
  source.Menus[2].Image = {'B', 'M', 1, 2, 3};
  return source;
}

struct ServicesTest : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(h.player->Start());
    h.player->SetVisible(true);
  }

  platform::headless::HeadlessPopupMenu& RightClick() {
    static_cast<platform::headless::HeadlessWindow&>(h.player->Window()).PressMouse(platform::MouseButton::Right, 3, 4);
    return *h.platform.LastPopupMenu();
  }

  Harness<> h{MenuProject()};
  DesktopServices services{h.platform, *h.player};
};

// Where the menu pops up is checked with the popup-menu action (tests/engine).
TEST_F(ServicesTest, RightClickShowsProjectEntriesAboveTheCommands) {
  auto& menu = RightClick();
  ASSERT_EQ(menu.Popups().size(), 1u);
  const auto& entries = menu.Popups()[0].entries;
  ASSERT_GE(entries.size(), 4u);
  EXPECT_EQ(entries[0].caption, "Games");
  EXPECT_EQ(entries[0].id, 1);
  ASSERT_EQ(entries[0].children.size(), 1u);
  EXPECT_EQ(entries[0].children[0].caption, "Chess");
  EXPECT_EQ(entries[0].children[0].id, 2);
  // The parent's picture has its transparent colour (green) applied.
  EXPECT_EQ(entries[0].picture.pixels, (std::vector<uint32_t>{0, 0xFFFF0000, 0xFF0000FF, 0}));
  EXPECT_EQ(entries[1].caption, "Broken");
  EXPECT_TRUE(entries[1].picture.empty());  // an unreadable picture is left out
  EXPECT_TRUE(entries[2].separator);
  EXPECT_EQ(entries.back().caption, "Close");
  EXPECT_EQ(entries.back().id, -static_cast<int>(MenuCommand::Close));
}

TEST(MenuPictureCacheTest, GivesTheUncachedPicturesAndFollowsChangedEntries) {
  std::vector<project::TTaviMenu> entries(3);
  entries[0].Image = Bmp2x2({0x00FF00, 0xFF0000, 0x0000FF, 0x00FF00});
  entries[0].Flags = 7;
  entries[0].ImageColor = 0x00FF00;
  entries[1].Image = {'B', 'M', 1, 2, 3};
  engine::MenuPictureCache cache;
  const auto expectUncached = [&] {
    for (size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(cache.PictureOf(entries, i), engine::MenuEntryPicture(entries[i])) << "entry " << i;
    }
  };
  expectUncached();
  expectUncached();  // from the cache
  entries[0].ImageColor = 0x0000FF;  // another transparent colour
  expectUncached();
  entries[0].Flags = 3;  // no transparency: the colour no longer matters
  expectUncached();
  entries[0].ImageColor = 0x123456;
  expectUncached();
  entries[1].Image = Bmp2x2({1, 2, 3, 4});  // a readable picture replaces the broken one
  entries[2].Image = entries[0].Image;
  expectUncached();
  entries.erase(entries.begin());  // the others move up: each index shows its new entry
  expectUncached();
  EXPECT_FALSE(cache.PictureOf(entries, 0).empty());
}

TEST_F(ServicesTest, MenuShownAgainCarriesTheChangedEntryPicture) {
  EXPECT_EQ(RightClick().Popups()[0].entries[0].picture.pixels, (std::vector<uint32_t>{0, 0xFFFF0000, 0xFF0000FF, 0}));
  h.player->Model.MenuEntries[0].Image = Bmp2x2({0x010203, 0x010203, 0x00FF00, 0x00FF00});
  const auto& popups = RightClick().Popups();
  EXPECT_EQ(popups.back().entries[0].picture.pixels, (std::vector<uint32_t>{0xFF010203, 0xFF010203, 0, 0}));
}

TEST_F(ServicesTest, ChoosingCommandsRunsThemAndStaleIdsAreIgnored) {
  services.Choose(999);
  services.Choose(0);
  EXPECT_FALSE(h.player->Muted());
  EXPECT_FALSE(engine::FindMenuItem(h.player->Menu(), -static_cast<int>(MenuCommand::Separator)).has_value());
  ASSERT_TRUE(RightClick().ChooseCaption("Hide"));
  EXPECT_FALSE(h.player->IsVisible());
  // The next popup shows the new state: the entry now reads "Show", and Mute is gone.
  auto& again = RightClick();
  EXPECT_FALSE(again.ChooseCaption("Mute"));
  ASSERT_TRUE(again.ChooseCaption("Show"));
  EXPECT_TRUE(h.player->IsVisible());
}

TEST_F(ServicesTest, TrayIconCarriesTitleAndTheSameMenu) {
  EXPECT_TRUE(services.CreateTrayIcon(true).IconVisible());
  auto* icon = h.platform.LastTrayIcon();
  EXPECT_EQ(icon->Tooltip(), h.player->Title);
  EXPECT_EQ(icon->CurrentMenu().front().caption, "Games");
  EXPECT_TRUE(icon->ChooseFromMenu(-static_cast<int>(MenuCommand::Hide)));
  EXPECT_FALSE(h.player->IsVisible());
  services.ShowTrayBalloon({"Title", "Text", platform::BalloonIcon::Error, 5000});
  ASSERT_EQ(icon->Balloons().size(), 1u);
  EXPECT_EQ(icon->Balloons()[0].timeoutMs, 5000);
  services.SetTrayPicture(desktop::MakeTransparent(2, 1, std::vector<uint32_t>{0x010203, 0x0000FF}, 0xFF0000));
  EXPECT_EQ(icon->Picture().pixels, (std::vector<uint32_t>{0xFF010203, 0}));
  services.SetTrayPicture({});
  h.platform.AdvanceBy(desktop::kMinTrayPictureIntervalMs);  // the next picture waits its turn
  EXPECT_TRUE(icon->Picture().empty());
}

TEST_F(ServicesTest, PlayerShowsClosesAndMovesTheBubble) {
  h.player->ShowSpeechHint("Hi", 150, 160, 3);
  auto* window = h.platform.LastHintWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(services.HintShowing());
  // The bubble follows the character.
  const platform::Rect before = window->Bounds();
  h.player->SetPosition(h.player->State().WindowLeft + 7, h.player->State().WindowTop + 2);
  EXPECT_EQ(window->Bounds().left, before.left + 7);
  EXPECT_EQ(window->Bounds().top, before.top + 2);
  h.player->StayOnTopClick(false);
  EXPECT_EQ(window->StayOnTop(), h.player->GetFormStyle());
  // The countdown closes it, and so does hiding the character.
  for (int tick = 0; tick < 4; ++tick) h.player->HousekeepingTick();
  EXPECT_FALSE(services.HintShowing());
  EXPECT_FALSE(window->Visible());
  h.player->ShowSpeechHint("Again", 10, 100, 50);
  EXPECT_TRUE(window->Visible());
  h.player->HideCharacter();
  EXPECT_FALSE(window->Visible());
}

TEST_F(ServicesTest, AboutCommandShowsTheAboutBox) {
  h.player->SetHeader({"3.01", "Hello", "Pet", 0});
  h.player->AboutClick();
  EXPECT_TRUE(h.platform.MessageBoxes().empty());
  ASSERT_EQ(h.platform.AboutBoxes().size(), 1u);
  EXPECT_EQ(h.platform.AboutBoxes()[0].title, "Pet");
  EXPECT_EQ(h.platform.AboutBoxes()[0].aboutText, "Hello");
  EXPECT_EQ(h.platform.AboutBoxes()[0].product, "Tavimo Design 3.01");
}

TEST(EngineCursorsTest, ProjectCursorsAreRegisteredFromOneAndEmptyOnesLeftOut) {
  project::ProjectSource source = MenuProject();
  source.Cursors = {{.HotSpotX = 1, .Bitmap = Bmp2x2({0xFFFFFF, 0x000000, 0x123456, 0xFFFFFF})}, {}};
  Harness<> h(source);
  {
    DesktopServices services(h.platform, *h.player);
    services.RegisterCursors();
    ASSERT_EQ(h.platform.Cursors().size(), 1u);
    const auto& cursor = h.platform.Cursors().at(services.CursorBase() + 1);
    EXPECT_EQ(cursor.hotSpotX, 1);
    // The default transparent colour is the bottom-left pixel.
    EXPECT_EQ(cursor.picture.pixels, (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0, 0xFFFFFFFF}));
  }
  EXPECT_TRUE(h.platform.Cursors().empty());  // the services took their cursors with them
}

}  // namespace
}  // namespace kpf::test
