// Tray icon rules, colour-keyed pictures, cursors, the About texts and the recording popup menu.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/CursorPicture.hpp"
#include "desktop/PictureTransparency.hpp"
#include "desktop/TCoolTrayIcon.hpp"
#include "desktop/TfmTaviViewerAbout.hpp"
#include "platform/headless/HeadlessPlatform.hpp"

namespace kpf::desktop {
namespace {

using platform::BalloonIcon;
using platform::headless::HeadlessPlatform;

struct TCoolTrayIconTest : ::testing::Test {
  HeadlessPlatform platform;
  TCoolTrayIcon tray{platform};
};

TEST_F(TCoolTrayIconTest, TooltipIsCutTo127AndOnlyPassedWithShowHintAndThePictureFollows) {
  tray.HideIcon();
  tray.HideBalloonHint();
  EXPECT_EQ(platform.LastTrayIcon(), nullptr);  // hiding before use makes no icon
  tray.SetHint(std::string(200, 'a'));
  tray.ShowIcon();
  auto* icon = platform.LastTrayIcon();
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(icon->Visible());
  EXPECT_EQ(icon->Tooltip(), std::string(127, 'a'));
  tray.SetShowHint(false);
  EXPECT_EQ(icon->Tooltip(), "");
  tray.SetShowHint(true);
  tray.SetHint("Title");
  EXPECT_EQ(icon->Tooltip(), "Title");
  const std::vector<uint32_t> pixels{0xFF0000, 0x00FF00, 0x00FF00, 0x0000FF};
  const platform::Picture picture = MakeTransparent(2, 2, pixels, 0x00FF00);
  tray.SetIcon(&picture);
  EXPECT_EQ(icon->Picture(), picture);
  tray.SetIcon(nullptr);  // back to the default icon
  EXPECT_TRUE(icon->Picture().empty());
  tray.HideIcon();
  EXPECT_FALSE(icon->Visible());
  EXPECT_FALSE(tray.IconVisible());
}

TEST_F(TCoolTrayIconTest, BalloonTextsAreCutTheTimeOutIsInSecondsAndOddKindsShowNoIcon) {
  tray.ShowBalloonHint(std::string(100, 't'), std::string(300, 'x'), 2, 5);
  const auto& balloons = platform.LastTrayIcon()->Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].title, std::string(63, 't'));
  EXPECT_EQ(balloons[0].text, std::string(255, 'x'));
  EXPECT_EQ(balloons[0].icon, BalloonIcon::Warning);
  EXPECT_EQ(balloons[0].timeoutMs, 5000);
  EXPECT_EQ(TCoolTrayIcon::MakeBalloon("", "", 0, -3).timeoutMs, 0);
  tray.HideBalloonHint();
  EXPECT_FALSE(platform.LastTrayIcon()->BalloonShown());
  const std::vector<std::pair<int, BalloonIcon>> kinds{{0, BalloonIcon::None},    {1, BalloonIcon::Information},
                                                       {2, BalloonIcon::Warning}, {3, BalloonIcon::Error},
                                                       {7, BalloonIcon::None},    {-1, BalloonIcon::None}};
  for (const auto& [kind, icon] : kinds) EXPECT_EQ(TCoolTrayIcon::MakeBalloon("t", "x", kind, 1).icon, icon) << kind;
}

TEST_F(TCoolTrayIconTest, RightClickMenuAsksForTheCurrentEntries) {
  bool muted = false;
  std::vector<int> chosen;
  tray.SetPopupMenu(
      [&] {
        platform::MenuEntry mute;
        mute.id = 5;
        mute.checked = muted;
        return platform::MenuModel{mute};
      },
      [&](int id) { chosen.push_back(id); });
  muted = true;
  const auto* icon = platform.LastTrayIcon();
  EXPECT_TRUE(icon->CurrentMenu().at(0).checked);
  EXPECT_TRUE(icon->ChooseFromMenu(5));
  EXPECT_FALSE(icon->ChooseFromMenu(6));
  EXPECT_EQ(chosen, std::vector<int>{5});
}

TEST(PictureTransparencyTest, TColorIsRedLowAndTheKeyColourBecomesTransparent) {
  EXPECT_EQ(TColorToRgb(0x0000FF), 0xFF0000u);
  EXPECT_EQ(TColorToRgb(0xFF0000), 0x0000FFu);
  EXPECT_EQ(TColorToRgb(32768), 0x008000u);
  EXPECT_EQ(RgbToTColor(0xFF123456), 0x563412);
  // Top row: red, blue; bottom row: white, red.
  const std::vector<uint32_t> pixels{0xFF0000, 0x0000FF, 0xFFFFFF, 0x12FF0000};
  EXPECT_EQ(MakeTransparent(2, 2, pixels, 0x0000FF).pixels,  // TColor red
            (std::vector<uint32_t>{0, 0xFF0000FF, 0xFFFFFFFF, 0}));
  EXPECT_EQ(MakeTransparent(2, 2, pixels, kClNone).pixels,
            (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000}));
  // Default: the bottom-left pixel (white) is the key.
  EXPECT_EQ(MakeTransparent(2, 2, pixels, kClDefault).pixels,
            (std::vector<uint32_t>{0xFFFF0000, 0xFF0000FF, 0, 0xFFFF0000}));
  // A system colour (clBtnFace = 0xFF00000F) keys out the button face, not 0x0F0000.
  EXPECT_EQ(TColorToRgb(static_cast<int32_t>(0xFF00000F)), 0xD4D0C8u);
  EXPECT_EQ(MakeTransparent(2, 1, std::vector<uint32_t>{0xD4D0C8, 0x0F0000}, static_cast<int32_t>(0xFF00000F)).pixels,
            (std::vector<uint32_t>{0, 0xFF0F0000}));
  // Too few pixels or no size: nothing.
  EXPECT_TRUE(MakeTransparent(2, 2, std::vector<uint32_t>(3), kClNone).empty());
  EXPECT_TRUE(MakeTransparent(0, 2, pixels, kClNone).empty());
  EXPECT_TRUE(MakeTransparent(-1, -1, pixels, kClDefault).empty());
}

TEST(CursorPictureTest, DefaultColourTakesTheBottomLeftPixelAndTheHotSpotIsKeptInside) {
  const std::vector<uint32_t> pixels{0x000000, 0xFFFFFF, 0x808080, 0xFFFFFF, 0xFFFFFF, 0x000000};  // 3 × 2
  const auto cursor = BuildCursorImage(3, 2, pixels, 1, 1, kClDefault);
  EXPECT_EQ(cursor.picture.pixels, (std::vector<uint32_t>{0xFF000000, 0, 0xFF808080, 0, 0, 0xFF000000}));
  EXPECT_EQ(cursor.hotSpotX, 1);
  EXPECT_EQ(cursor.hotSpotY, 1);
  // A hot spot outside the picture is clamped; too few pixels give no picture.
  const auto clamped = BuildCursorImage(2, 2, std::vector<uint32_t>(4, 0x123456), 50, -3, kClNone);
  EXPECT_EQ(clamped.hotSpotX, 1);
  EXPECT_EQ(clamped.hotSpotY, 0);
  EXPECT_TRUE(BuildCursorImage(2, 2, std::vector<uint32_t>(1), 0, 0, kClNone).picture.empty());
}

// The About box's texts are checked through the player's About command (EngineServicesTest).
TEST(AboutTest, ProductLabelLeavesOutAnEmptyVersion) {
  EXPECT_EQ(ProductLabel(""), "Tavimo Design");
  EXPECT_EQ(ProductLabel("2.1"), "Tavimo Design 2.1");
}

platform::MenuEntry Entry(int id, std::string caption, std::vector<platform::MenuEntry> children = {}) {
  platform::MenuEntry entry;
  entry.id = id;
  entry.caption = std::move(caption);
  entry.children = std::move(children);
  return entry;
}

TEST(HeadlessPopupMenuTest, OnlyVisibleEnabledLeavesAboveTheDepthLimitCanBeChosen) {
  HeadlessPlatform platform;
  auto menu = platform.CreatePopupMenu();
  platform::MenuModel model{Entry(1, "Parent", {Entry(2, "Child")}), Entry(3, "Hidden"), Entry(4, "Off"),
                            Entry(5, "-"), Entry(6, "Close")};
  model[1].visible = false;
  model[2].enabled = false;
  model[3].separator = true;
  std::vector<int> chosen;
  menu->Popup(model, platform::Point{5, 6}, [&](int id) { chosen.push_back(id); });
  auto* recorded = platform.LastPopupMenu();
  EXPECT_EQ(recorded->Popups().back().at, (platform::Point{5, 6}));
  EXPECT_EQ(recorded->VisibleCaptions(), (std::vector<std::string>{"Parent", "Off", "-", "Close"}));
  for (int id : {1, 3, 4, 5, 99}) EXPECT_FALSE(recorded->Choose(id)) << id;
  EXPECT_TRUE(recorded->Choose(2));
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_FALSE(recorded->Choose(6));  // closed now
  menu->Popup(model, platform::Point{}, [&](int id) { chosen.push_back(id); });
  EXPECT_TRUE(recorded->ChooseCaption("Close"));
  EXPECT_EQ(chosen, (std::vector<int>{2, 6}));

  platform::MenuEntry leaf = Entry(100, "deep");
  for (int depth = 0; depth < platform::kMaxMenuDepth; ++depth) leaf = Entry(depth + 1, "level", {leaf});
  EXPECT_EQ(platform::headless::FindClickable(platform::MenuModel{leaf}, 100), nullptr);
}

}  // namespace
}  // namespace kpf::desktop
