// Custom cursors of several players in one process: each player registers its cursors under its
// own numbers, its animations select them, and dropping one player's services leaves the other
// player's cursors in place.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestProject.hpp"
#include "engine/DesktopServices.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "project/ByteBuilder.hpp"

namespace kpf::test {
namespace {

// A 4x1 24-bit BMP.
std::vector<uint8_t> RowBmp() {
  ByteBuilder file;
  file.text("BM").i32(66).i32(0).i32(54).i32(40).i32(4).i32(1).u16(1).u16(24);
  for (int i = 0; i < 6; ++i) file.i32(0);
  for (int x = 0; x < 4; ++x) file.raw({0x30, 0x20, 0x10});
  return file.bytes();
}

// A project whose only animation shows project cursor `shown` (0: the default cursor); cursor
// n has its hot spot at (n, 0).
std::vector<uint8_t> CursorProject(int cursorCount, uint8_t shown) {
  project::ProjectSource source = WithVariables({});
  auto animation = Animation(1, "idle", 0, 0, 1, 10);
  animation.ExtraPresent = shown != 0;
  animation.Extra = {shown};
  source.Animations.push_back(animation);
  for (int n = 0; n < cursorCount; ++n) {
    project::TVrCursorItem cursor;
    cursor.HotSpotX = n;
    cursor.Bitmap = RowBmp();
    source.Cursors.push_back(cursor);
  }
  return project::BuildProjectFile(source);
}

struct CursorPlayer {
  CursorPlayer(platform::headless::HeadlessPlatform& platform, int cursorCount, uint8_t shown)
      : player(platform, engine::PlayerOptions{}) {
    player.LoadProject(CursorProject(cursorCount, shown));
    services = std::make_unique<engine::DesktopServices>(platform, player);
    services->RegisterCursors();
    EXPECT_TRUE(player.Start());
  }
  int WindowCursor() { return static_cast<platform::headless::HeadlessWindow&>(player.Window()).Cursor(); }

  engine::TFormKPFPlayer player;
  std::unique_ptr<engine::DesktopServices> services;
};

TEST(PlayerCursorsTest, TwoPlayersKeepTheirOwnCursors) {
  platform::headless::HeadlessPlatform platform;
  CursorPlayer first(platform, 2, 2);
  CursorPlayer second(platform, 3, 1);
  EXPECT_NE(first.services->CursorBase(), second.services->CursorBase());
  EXPECT_EQ(platform.Cursors().size(), 5u);

  // Each animation shows its own project's cursor: the first the hot spot 1, the second 0.
  ASSERT_TRUE(platform.Cursors().contains(first.WindowCursor()));
  EXPECT_EQ(platform.Cursors().at(first.WindowCursor()).hotSpotX, 1);
  EXPECT_EQ(first.WindowCursor(), first.services->CursorBase() + 2);
  ASSERT_TRUE(platform.Cursors().contains(second.WindowCursor()));
  EXPECT_EQ(platform.Cursors().at(second.WindowCursor()).hotSpotX, 0);
  EXPECT_EQ(second.WindowCursor(), second.services->CursorBase() + 1);

  // Registering again and dropping the second player's services touch only their own numbers.
  second.services->RegisterCursors();
  EXPECT_EQ(platform.Cursors().size(), 5u);
  second.services.reset();
  EXPECT_EQ(platform.Cursors().size(), 2u);
  EXPECT_EQ(platform.Cursors().at(first.WindowCursor()).hotSpotX, 1);
  EXPECT_EQ(second.WindowCursor(), 0);  // without its services the default cursor shows
}

TEST(PlayerCursorsTest, NoCursorAndMissingCursorShowTheDefault) {
  platform::headless::HeadlessPlatform platform;
  CursorPlayer none(platform, 1, 0);
  EXPECT_EQ(none.WindowCursor(), 0);
  CursorPlayer missing(platform, 1, 9);  // names a cursor the project does not have
  EXPECT_FALSE(platform.Cursors().contains(missing.WindowCursor()));
}

}  // namespace
}  // namespace kpf::test
