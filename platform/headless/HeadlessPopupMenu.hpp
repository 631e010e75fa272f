#pragma once
// A popup menu that records every popup (entries and point) and lets tests pick an entry.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/PopupMenu.hpp"
#include "platform/headless/HeadlessDesktop.hpp"

namespace kpf::platform::headless {

struct MenuPopupRecord {
  platform::MenuModel entries;
  platform::Point at;
};

class HeadlessPopupMenu : public platform::PopupMenu {
 public:
  explicit HeadlessPopupMenu(std::shared_ptr<HeadlessDesktop> desktop);
  ~HeadlessPopupMenu() override;
  HeadlessPopupMenu(const HeadlessPopupMenu&) = delete;
  HeadlessPopupMenu& operator=(const HeadlessPopupMenu&) = delete;

  void Popup(const platform::MenuModel& entries, platform::Point at, platform::MenuChoice onChosen) override;
  void Close() override;
  bool IsOpen() const override { return open_; }

  const std::vector<MenuPopupRecord>& Popups() const { return popups_; }
  // Picks the entry with the id in the open menu, as a click would: only a visible, enabled
  // entry that is no separator and has no sub-menu can be picked, on a visible path. False
  // (and no call) otherwise. The menu closes before the choice is reported.
  bool Choose(int id);
  // Picks by caption (first match, depth first), with the same rules.
  bool ChooseCaption(const std::string& caption);
  // Captions of the entries a user would see, top level, in order ("-" for a separator).
  std::vector<std::string> VisibleCaptions() const;

 private:
  std::shared_ptr<HeadlessDesktop> desktop_;
  std::vector<MenuPopupRecord> popups_;
  platform::MenuChoice onChosen_;
  bool open_ = false;
};

// The clickable entry with the id, searched only through visible, enabled entries; null when
// none.
const platform::MenuEntry* FindClickable(const platform::MenuModel& entries, int id, int depth = 0);

}  // namespace kpf::platform::headless
