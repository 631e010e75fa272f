#include "engine/PlayerMenu.hpp"

#include <algorithm>

#include "project/TTaviVariable.hpp"

namespace kpf::engine {

namespace {

constexpr const char* kEnglishCaptions[] = {"About", "Close", "Mute", "Run On Startup",
                                            "Hide", "Stay On Top", "Uninstall", "Show"};

MenuItem CommandItem(MenuCommand command, std::string caption) {
  MenuItem item;
  item.command = command;
  item.caption = std::move(caption);
  return item;
}

template <typename Items>
auto FindCommand(Items& items, MenuCommand command) -> decltype(&items.front()) {
  for (auto& item : items) {
    if (item.command == command) return &item;
  }
  return nullptr;
}

MenuItem* FindCaptionIn(std::vector<MenuItem>& items, std::string_view caption) {
  for (auto& item : items) {
    if (!item.visible || !item.enabled || item.command == MenuCommand::Separator) continue;
    if (project::SameText(item.caption, caption)) return &item;
    if (MenuItem* child = FindCaptionIn(item.children, caption)) return child;
  }
  return nullptr;
}

}  // namespace

std::string PlayerMenu::Caption(MenuCaptionIndex index) const {
  if (captions_.size() >= 8) return captions_[static_cast<size_t>(index)];
  return kEnglishCaptions[index];
}

void PlayerMenu::Reset() {
  items_.clear();
  captions_.clear();
  built_ = false;
}

MenuItem PlayerMenu::BuildEntry(const std::vector<project::TTaviMenu>& entries, size_t position,
                                int depth, std::vector<bool>& onPath) const {
  const project::TTaviMenu& entry = entries[position];
  MenuItem item;
  item.caption = entry.Caption;
  item.visible = (entry.Flags & 1) != 0;
  item.enabled = (entry.Flags & 2) != 0;
  item.tag = static_cast<int32_t>(position) + 1;
  // The menu on screen shows no deeper entries; ItemKey cycles end here too.
  if (depth >= platform::kMaxMenuDepth) return item;
  onPath[position] = true;
  // Children are taken from the last to the first and appended; an entry already on the path
  // from the top (an ItemKey cycle) is not added again.
  for (size_t i = entries.size(); i-- > 0;) {
    if (onPath[i] || entries[i].ItemKey.empty() || entries[i].ItemKey != entry.Caption) continue;
    item.children.push_back(BuildEntry(entries, i, depth + 1, onPath));
  }
  onPath[position] = false;
  return item;
}

void PlayerMenu::Build(const std::vector<project::TTaviMenu>& entries,
                       const std::vector<std::string>& captions) {
  if (built_) return;
  captions_ = captions;
  items_.clear();
  std::vector<bool> onPath(entries.size(), false);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].ItemKey.empty()) items_.push_back(BuildEntry(entries, i, 0, onPath));
  }
  if (!entries.empty()) items_.push_back(CommandItem(MenuCommand::Separator, "-"));
  items_.push_back(CommandItem(MenuCommand::Hide, Caption(kCaptionHide)));
  items_.push_back(CommandItem(MenuCommand::Mute, Caption(kCaptionMute)));
  items_.push_back(CommandItem(MenuCommand::Separator, "-"));
  items_.push_back(CommandItem(MenuCommand::About, Caption(kCaptionAbout)));
  items_.push_back(CommandItem(MenuCommand::RunOnStartup, Caption(kCaptionRunOnStartup)));
  items_.push_back(CommandItem(MenuCommand::StayOnTop, Caption(kCaptionStayOnTop)));
  items_.push_back(CommandItem(MenuCommand::Uninstall, Caption(kCaptionUninstall)));
  items_.push_back(CommandItem(MenuCommand::Separator, "-"));
  items_.push_back(CommandItem(MenuCommand::Close, Caption(kCaptionClose)));
  built_ = true;
}

MenuItem* PlayerMenu::Command(MenuCommand command) { return FindCommand(items_, command); }

const MenuItem* PlayerMenu::Command(MenuCommand command) const { return FindCommand(items_, command); }

MenuItem* PlayerMenu::ProjectItem(int32_t tag) {
  if (tag < 1) return nullptr;
  for (auto& item : items_) {
    if (item.command == MenuCommand::Project && item.tag == tag) return &item;
  }
  return nullptr;
}

MenuItem* PlayerMenu::FindByCaption(std::string_view caption) { return FindCaptionIn(items_, caption); }

void PlayerMenu::InsertProjectItem(MenuItem item) { items_.insert(items_.begin(), std::move(item)); }

bool PlayerMenu::RemoveProjectItem(int32_t tag) {
  const auto it = std::find_if(items_.begin(), items_.end(), [tag](const MenuItem& item) {
    return item.command == MenuCommand::Project && item.tag == tag;
  });
  if (it == items_.end()) return false;
  items_.erase(it);
  return true;
}

}  // namespace kpf::engine
