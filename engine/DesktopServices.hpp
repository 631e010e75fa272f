#pragma once
// The player's desktop services: its popup menu on screen (built from PlayerMenu, choices routed
// to ClickMenuItem), the speech bubble, the About box, the custom cursors and the tray icon.
// The object must be destroyed before the player it serves; it detaches itself from the player.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/TCoolTrayIcon.hpp"
#include "desktop/TrayPictureFeed.hpp"
#include "desktop/TVrHint.hpp"
#include "engine/MenuPictureCache.hpp"
#include "engine/PlayerDesktop.hpp"
#include "engine/PlayerMenu.hpp"
#include "engine/TFormKPFPlayer.hpp"
#include "platform/Platform.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::engine {

// Largest entry picture or cursor taken from a project (larger ones are left out).
inline constexpr int kMaxDesktopPictureSide = 256;
// Cursor numbers each player owns in the process-wide cursor table: an animation names its cursor
// with one byte (1..255 for the project cursors 0..254), so 256 numbers per player suffice.
inline constexpr int kCursorsPerPlayer = 256;

// Id of a menu item on screen: a project entry's tag (1 up), a command's negated number.
int MenuEntryId(const MenuItem& item);
// The platform menu of the player's menu: captions, states, pictures of project entries (their
// BMP image with the transparent colour applied when flag bit 2 is set), sub-menus.
platform::MenuModel BuildPlatformMenu(const PlayerMenu& menu, const std::vector<project::TTaviMenu>& entries);
// The same with the entry pictures taken from (and kept in) `pictures`.
platform::MenuModel BuildPlatformMenu(const PlayerMenu& menu, const std::vector<project::TTaviMenu>& entries,
                                      MenuPictureCache& pictures);
// The item an id names in the menu as it is now; none when it has gone.
std::optional<MenuItem> FindMenuItem(const PlayerMenu& menu, int id);
// The picture of a menu entry; empty without an image or when the image cannot be read.
platform::Picture MenuEntryPicture(const project::TTaviMenu& entry);
// The cursor of a cursor item; an empty picture without a usable bitmap.
platform::CursorImage CursorFromItem(const project::TVrCursorItem& item);

// Attaches itself to the player: its right click (OnPopupMenu), hints and About (SetDesktop).
class DesktopServices : public PlayerDesktop {
 public:
  DesktopServices(platform::Platform& platform, TFormKPFPlayer& player);
  ~DesktopServices() override;
  DesktopServices(const DesktopServices&) = delete;
  DesktopServices& operator=(const DesktopServices&) = delete;

  // Menu: a right click on the character (OnPopupMenu) opens it at the pointer.
  void OpenPopupMenu(platform::Point at);
  platform::MenuModel CurrentMenu() const;
  // Runs the item the id names (ignored when the item has gone or the player closed).
  void Choose(int id);

  // Speech bubble (the countdown stays with the player).
  void ShowHint(const std::string& text, int x, int y) override { hint_.ShowHintAt(text, x, y); }
  void CloseHint() override { hint_.HideHint(); }
  void MoveHintBy(int dx, int dy) override { hint_.MoveBy(dx, dy); }
  void SetHintStayOnTop(bool stayOnTop) override { hint_.SetStayOnTop(stayOnTop); }
  bool HintShowing() const { return hint_.Showing(); }

  // The About box with the project's title, about text and design version.
  void ShowAbout() override;

  // Registers the project's cursors under this player's numbers (its cursor base + position + 1);
  // forgets its older ones. Other players' cursors are left alone.
  void RegisterCursors();
  // The first number after which this player's cursors are registered.
  int CursorBase() const { return cursorBase_; }

  // The tray icon of player 0: the title as tooltip, the player's menu, shown or hidden.
  desktop::TCoolTrayIcon& CreateTrayIcon(bool visible);
  desktop::TCoolTrayIcon* Tray() { return tray_.get(); }
  // Balloon and picture services of the main form. A new balloon first hides the one before.
  void ShowTrayBalloon(const platform::Balloon& balloon);
  // The picture goes through the tray's picture feed (a reduced copy, at most 20 a second); an
  // empty one gives back the application icon. Nothing without a tray icon.
  void SetTrayPicture(const platform::Picture& picture);

 private:
  platform::Platform& platform_;
  TFormKPFPlayer& player_;
  std::unique_ptr<platform::PopupMenu> menu_;
  // Built menus are handed out from a const member; the pictures are kept between builds.
  mutable MenuPictureCache pictures_;
  desktop::TVrHint hint_;
  std::unique_ptr<desktop::TCoolTrayIcon> tray_;
  std::unique_ptr<desktop::TrayPictureFeed> trayPictures_;
  int cursorBase_ = 0;
  int registeredCursors_ = 0;
};

}  // namespace kpf::engine
