#include "engine/DesktopServices.hpp"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <utility>

#include "desktop/CursorPicture.hpp"
#include "desktop/PictureTransparency.hpp"
#include "desktop/TfmTaviViewerAbout.hpp"
#include "render/BmpFile.hpp"

namespace kpf::engine {
namespace {

constexpr int32_t kImageTransparentFlag = 4;

struct DecodedBmp {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
};

// A small BMP as pixels; nothing for an empty, unreadable or oversized one.
std::optional<DecodedBmp> DecodeSmallBmp(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  try {
    const render::BmpFile bmp(bytes);
    if (bmp.Width() > kMaxDesktopPictureSide || bmp.Height() > kMaxDesktopPictureSide) return std::nullopt;
    DecodedBmp decoded{bmp.Width(), bmp.Height(), {}};
    decoded.pixels.reserve(static_cast<size_t>(decoded.width) * decoded.height);
    for (int row = 0; row < decoded.height; ++row) {
      for (int x = 0; x < decoded.width; ++x) decoded.pixels.push_back(bmp.ColorAt(x, decoded.height - 1 - row) & 0xFFFFFF);
    }
    return decoded;
  } catch (const std::exception&) {
    return std::nullopt;  // a broken picture leaves the entry without one
  }
}

platform::MenuEntry ToPlatform(const MenuItem& item, const std::vector<project::TTaviMenu>& entries,
                               MenuPictureCache& pictures, int depth) {
  platform::MenuEntry entry;
  entry.id = MenuEntryId(item);
  entry.caption = item.caption;
  // A caption of a single "-" is a separator line, for project entries too.
  entry.separator = item.command == MenuCommand::Separator || item.caption == "-";
  entry.visible = item.visible;
  entry.enabled = item.enabled;
  entry.checked = item.checked;
  if (item.command == MenuCommand::Project && item.tag >= 1 && static_cast<size_t>(item.tag) <= entries.size()) {
    entry.picture = pictures.PictureOf(entries, static_cast<size_t>(item.tag - 1));
  }
  if (depth + 1 < platform::kMaxMenuDepth) {
    for (const MenuItem& child : item.children) entry.children.push_back(ToPlatform(child, entries, pictures, depth + 1));
  }
  return entry;
}

const MenuItem* FindIn(const std::vector<MenuItem>& items, int id, int depth) {
  if (depth >= platform::kMaxMenuDepth) return nullptr;
  for (const MenuItem& item : items) {
    if (item.command != MenuCommand::Separator && MenuEntryId(item) == id) return &item;
    if (const MenuItem* found = FindIn(item.children, id, depth + 1)) return found;
  }
  return nullptr;
}

// Hands every player its own range of the process-wide cursor table. The table belongs to the
// process, so the allocator does too; ranges are not reused until the counter wraps.
int AllocateCursorBase() {
  static std::atomic<int> nextRange{1};
  constexpr int kRanges = std::numeric_limits<int>::max() / kCursorsPerPlayer;
  int range = nextRange.fetch_add(1);
  if (range >= kRanges) {
    nextRange = 2;
    range = 1;
  }
  return range * kCursorsPerPlayer;
}

}  // namespace

int MenuEntryId(const MenuItem& item) {
  if (item.command == MenuCommand::Project) return item.tag;
  return -static_cast<int>(item.command);
}

platform::MenuModel BuildPlatformMenu(const PlayerMenu& menu, const std::vector<project::TTaviMenu>& entries) {
  MenuPictureCache pictures;
  return BuildPlatformMenu(menu, entries, pictures);
}

platform::MenuModel BuildPlatformMenu(const PlayerMenu& menu, const std::vector<project::TTaviMenu>& entries,
                                      MenuPictureCache& pictures) {
  platform::MenuModel model;
  for (const MenuItem& item : menu.Items()) model.push_back(ToPlatform(item, entries, pictures, 0));
  return model;
}

std::optional<MenuItem> FindMenuItem(const PlayerMenu& menu, int id) {
  const MenuItem* item = FindIn(menu.Items(), id, 0);
  if (item == nullptr) return std::nullopt;
  return *item;
}

platform::Picture MenuEntryPicture(const project::TTaviMenu& entry) {
  const auto decoded = DecodeSmallBmp(entry.Image);
  if (!decoded) return {};
  const int32_t key = (entry.Flags & kImageTransparentFlag) != 0 ? entry.ImageColor : desktop::kClNone;
  return desktop::MakeTransparent(decoded->width, decoded->height, decoded->pixels, key);
}

platform::CursorImage CursorFromItem(const project::TVrCursorItem& item) {
  const auto decoded = DecodeSmallBmp(item.Bitmap);
  if (!decoded) return {};
  return desktop::BuildCursorImage(decoded->width, decoded->height, decoded->pixels, item.HotSpotX, item.HotSpotY,
                                   item.TransparentColor);
}

DesktopServices::DesktopServices(platform::Platform& platform, TFormKPFPlayer& player)
    : platform_(platform), player_(player), menu_(platform.CreatePopupMenu()), hint_(platform),
      cursorBase_(AllocateCursorBase()) {
  player_.SetCursorBase(cursorBase_);
  player_.OnPopupMenu = [this](PlayerMenu&) { OpenPopupMenu(platform_.Pointer()); };
  player_.SetDesktop(this);
}

DesktopServices::~DesktopServices() {
  player_.OnPopupMenu = nullptr;
  player_.SetDesktop(nullptr);
  for (int number = 1; number <= registeredCursors_; ++number) platform_.UnregisterCursor(cursorBase_ + number);
  player_.SetCursorBase(0);
}

platform::MenuModel DesktopServices::CurrentMenu() const {
  return BuildPlatformMenu(player_.Menu(), player_.Model.MenuEntries, pictures_);
}

void DesktopServices::OpenPopupMenu(platform::Point at) {
  menu_->Popup(CurrentMenu(), at, [this](int id) { Choose(id); });
}

void DesktopServices::Choose(int id) {
  if (player_.Closed()) return;
  // A copy: the command may change the menu it came from.
  if (const auto item = FindMenuItem(player_.Menu(), id)) player_.ClickMenuItem(*item);
}

void DesktopServices::ShowAbout() {
  desktop::ShowAbout(platform_, player_.Title, player_.AboutText, player_.DesignVersion);
}

void DesktopServices::RegisterCursors() {
  for (int number = 1; number <= registeredCursors_; ++number) platform_.UnregisterCursor(cursorBase_ + number);
  const auto& cursors = player_.Model.Cursors;
  // Cursors past the last one an animation can name are never shown.
  const size_t usable = std::min(cursors.size(), static_cast<size_t>(kCursorsPerPlayer - 1));
  for (size_t i = 0; i < usable; ++i) {
    const platform::CursorImage image = CursorFromItem(cursors[i]);
    if (!image.picture.empty()) platform_.RegisterCursor(player_.CursorNumber(static_cast<int>(i)), image);
  }
  registeredCursors_ = static_cast<int>(usable);
}

desktop::TCoolTrayIcon& DesktopServices::CreateTrayIcon(bool visible) {
  if (!tray_) {
    tray_ = std::make_unique<desktop::TCoolTrayIcon>(platform_);
    tray_->SetHint(player_.Title);
    tray_->SetPopupMenu([this] { return CurrentMenu(); }, [this](int id) { Choose(id); });
  }
  tray_->SetIconVisible(visible);
  return *tray_;
}

void DesktopServices::ShowTrayBalloon(const platform::Balloon& balloon) {
  if (!tray_) return;
  tray_->HideBalloonHint();
  tray_->ShowBalloonHint(balloon.title, balloon.text, static_cast<int>(balloon.icon), balloon.timeoutMs / 1000);
}

void DesktopServices::SetTrayPicture(const platform::Picture& picture) {
  if (!tray_) return;
  if (!trayPictures_) {
    trayPictures_ = std::make_unique<desktop::TrayPictureFeed>(
        platform_, [this](const platform::Picture* shown) { tray_->SetIcon(shown); });
  }
  trayPictures_->Submit(picture);
}

}  // namespace kpf::engine
