#include "platform/headless/HeadlessPopupMenu.hpp"

#include <utility>

namespace kpf::platform::headless {
namespace {

// The first clickable entry (no separator, no sub-menu) that `matches`, searched depth first
// through visible, enabled entries only, as a user could reach it; null when none.
template <typename Matches>
const platform::MenuEntry* FindEntry(const platform::MenuModel& entries, const Matches& matches, int depth) {
  if (depth >= platform::kMaxMenuDepth) return nullptr;
  for (const platform::MenuEntry& entry : entries) {
    if (!entry.visible || !entry.enabled || entry.separator) continue;
    if (entry.children.empty() && matches(entry)) return &entry;
    if (const auto* found = FindEntry(entry.children, matches, depth + 1)) return found;
  }
  return nullptr;
}

}  // namespace

const platform::MenuEntry* FindClickable(const platform::MenuModel& entries, int id, int depth) {
  return FindEntry(entries, [id](const platform::MenuEntry& entry) { return entry.id == id; }, depth);
}

HeadlessPopupMenu::HeadlessPopupMenu(std::shared_ptr<HeadlessDesktop> desktop) : desktop_(std::move(desktop)) {
  desktop_->menus.push_back(this);
}

HeadlessPopupMenu::~HeadlessPopupMenu() { std::erase(desktop_->menus, this); }

void HeadlessPopupMenu::Popup(const platform::MenuModel& entries, platform::Point at, platform::MenuChoice onChosen) {
  popups_.push_back(MenuPopupRecord{entries, at});
  onChosen_ = std::move(onChosen);
  open_ = true;
}

void HeadlessPopupMenu::Close() { open_ = false; }

bool HeadlessPopupMenu::Choose(int id) {
  if (!open_ || popups_.empty() || FindClickable(popups_.back().entries, id) == nullptr) return false;
  open_ = false;
  // The handler may pop the menu up again; it runs on its own copy.
  const platform::MenuChoice handler = onChosen_;
  if (handler) handler(id);
  return true;
}

bool HeadlessPopupMenu::ChooseCaption(const std::string& caption) {
  if (!open_ || popups_.empty()) return false;
  const platform::MenuEntry* entry = FindEntry(
      popups_.back().entries, [&caption](const platform::MenuEntry& item) { return item.caption == caption; }, 0);
  return entry != nullptr && Choose(entry->id);
}

std::vector<std::string> HeadlessPopupMenu::VisibleCaptions() const {
  std::vector<std::string> captions;
  if (popups_.empty()) return captions;
  for (const platform::MenuEntry& entry : popups_.back().entries) {
    if (!entry.visible) continue;
    captions.push_back(entry.separator ? "-" : entry.caption);
  }
  return captions;
}

}  // namespace kpf::platform::headless
