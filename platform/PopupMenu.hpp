#pragma once
// A popup menu handed to the backend as a value: a tree of entries with captions, states,
// pictures and ids. The backend shows it at a screen point and reports the id the user chose.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.hpp"

namespace kpf::platform {

// A picture of 0xAARRGGBB pixels, top row first; alpha 0 where it is transparent. Empty: none.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  bool empty() const { return width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height; }
  bool operator==(const Picture&) const = default;
};

struct MenuEntry {
  int id = 0;
  std::string caption;
  bool separator = false;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  Picture picture;
  std::vector<MenuEntry> children;  // an entry with children opens a sub-menu
  bool operator==(const MenuEntry&) const = default;
};

using MenuModel = std::vector<MenuEntry>;
// Receives the id of the chosen entry; not called when the menu is dismissed.
using MenuChoice = std::function<void(int id)>;

// Sub-menus deeper than this are not built (the model is a tree; this bounds hostile input).
inline constexpr int kMaxMenuDepth = 16;

class PopupMenu {
 public:
  virtual ~PopupMenu() = default;
  // Shows the entries at the screen point and returns at once; the choice arrives through
  // `onChosen` from the event loop. Showing again replaces a menu that is still open.
  virtual void Popup(const MenuModel& entries, Point at, MenuChoice onChosen) = 0;
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
};

}  // namespace kpf::platform
