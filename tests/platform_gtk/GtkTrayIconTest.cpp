// The tray icon with no tray at all (nothing breaks) and with a tray host (trayer) on the test
// server: the icon embeds and a right click opens the player's menu.
#include <string>
#include <vector>

#include "platform/gtk/GtkPopupMenu.hpp"
#include "platform/gtk/GtkTrayIcon.hpp"
#include "GtkTestSupport.hpp"

#include <gtk/gtk.h>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace kpf::platform::gtk::testing {
namespace {

MenuModel TrayMenu() {
  MenuModel entries(2);
  entries[0].caption = "About";
  entries[1].caption = "Close";
  return entries;
}

class GtkTrayIconTest : public GtkDisplayTest {
 protected:
  void TearDown() override { Terminate(trayer_); }

  bool TrayHostRuns() { return XGetSelectionOwner(display_, XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False)) != 0; }

  // Starts trayer on the test display; false when it cannot run.
  bool StartTrayer() {
    trayer_ =
        Spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "64", "--heighttype",
               "pixel", "--height", "32", "--SetDockType", "false", "--SetPartialStrut", "false"});
    return trayer_ > 0 && RunUntil([&] { return TrayHostRuns(); }, 500);
  }

  pid_t trayer_ = -1;
};

TEST_F(GtkTrayIconTest, WithoutATrayHostNothingBreaksAndBalloonKindsNameStandardIcons) {
  ASSERT_FALSE(TrayHostRuns());
  // No session bus is named in the tests: the XEmbed icon is used and balloons are dropped.
  GtkTrayIcon tray;
  EXPECT_EQ(tray.Backend(), GtkTrayIcon::Kind::StatusIcon);
  tray.SetTooltip("Kitty");
  const Picture picture{2, 2, {0xFFFF0000, 0, 0, 0xFF0000FF}};
  tray.SetPicture(&picture);
  tray.SetMenu(TrayMenu, [](int) {});
  tray.SetVisible(true);
  tray.ShowBalloon(Balloon{"Hello", "World", BalloonIcon::Warning, 5000});
  tray.HideBalloon();
  RunUntil([] { return false; }, 20);
  EXPECT_FALSE(tray.Embedded());
  EXPECT_TRUE(tray.Visible());
  tray.SetPicture(nullptr);
  tray.SetVisible(false);
  EXPECT_STREQ(BalloonIconName(static_cast<BalloonIcon>(0)), "");
  EXPECT_STREQ(BalloonIconName(BalloonIcon::Information), "dialog-information");
  EXPECT_STREQ(BalloonIconName(BalloonIcon::Warning), "dialog-warning");
  EXPECT_STREQ(BalloonIconName(BalloonIcon::Error), "dialog-error");
}

TEST_F(GtkTrayIconTest, EmbedsInTrayerAndARightClickOpensTheMenu) {
  if (!StartTrayer()) GTEST_SKIP() << "trayer cannot run on the test server";
  GtkTrayIcon tray(false);
  tray.SetMenu(TrayMenu, [](int) {});
  tray.SetVisible(true);
  ASSERT_TRUE(RunUntil([&] { return tray.Embedded(); }));

  // The icon's place on screen, as the tray laid it out.
  GdkRectangle area{};
  ASSERT_TRUE(RunUntil([&] {
    return gtk_status_icon_get_geometry(tray.StatusIconForTests(), nullptr, &area, nullptr) && area.width > 0;
  }));
  Click(area.x + area.width / 2, area.y + area.height / 2, 3);
  ASSERT_TRUE(RunUntil([&] { return tray.Menu()->IsOpen() && gtk_widget_get_mapped(tray.Menu()->MenuWidget()); }));
  tray.Menu()->Close();
  EXPECT_FALSE(tray.Menu()->IsOpen());

  // The tray restarts: the visible icon comes back by itself.
  Terminate(trayer_);
  ASSERT_TRUE(RunUntil([&] { return !tray.Embedded(); }));
  ASSERT_TRUE(StartTrayer());
  EXPECT_TRUE(RunUntil([&] { return tray.Embedded(); }));
  tray.SetVisible(false);
}

}  // namespace
}  // namespace kpf::platform::gtk::testing
