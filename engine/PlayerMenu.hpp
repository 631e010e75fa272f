#pragma once
// The popup menu as a model: the project's entries (a tree built from ItemKey) above the player
// commands, with captions, visibility, enabled state and check marks. Showing it on screen is
// the window's business; the engine decides what it holds and what a click does.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PopupMenu.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::engine {

enum class MenuCommand { Project, Separator, Hide, Mute, About, RunOnStartup, StayOnTop, Uninstall, Close };

struct MenuItem {
  MenuCommand command = MenuCommand::Project;
  std::string caption;
  bool visible = true;
  bool enabled = true;
  bool checked = false;
  int32_t tag = -1;  // project entries: position in the entry list + 1
  std::vector<MenuItem> children;
};

// Captions by index in the project's MenuCaptions list.
enum MenuCaptionIndex { kCaptionAbout = 0, kCaptionClose, kCaptionMute, kCaptionRunOnStartup,
                        kCaptionHide, kCaptionStayOnTop, kCaptionUninstall, kCaptionShow };

class PlayerMenu {
 public:
  // Builds the menu: project entries (top-level ones in list order, children in reverse list
  // order, as the entries are inserted), a separator when there are any, then the commands.
  void Build(const std::vector<project::TTaviMenu>& entries, const std::vector<std::string>& captions);
  bool Built() const { return built_; }
  void Reset();

  std::vector<MenuItem>& Items() { return items_; }
  const std::vector<MenuItem>& Items() const { return items_; }
  MenuItem* Command(MenuCommand command);
  const MenuItem* Command(MenuCommand command) const;
  // Top-level project entry whose tag is `tag`; null when none (deleted entries, tag -1).
  MenuItem* ProjectItem(int32_t tag);
  // First visible, enabled item with the caption (any case, depth first); null when none.
  MenuItem* FindByCaption(std::string_view caption);

  // Caption of a built-in command: the project's text when it has at least 8, else English.
  std::string Caption(MenuCaptionIndex index) const;
  // Inserts a project entry object at the top of the menu.
  void InsertProjectItem(MenuItem item);
  // Removes the top-level project entry with the tag; false when none.
  bool RemoveProjectItem(int32_t tag);

 private:
  MenuItem BuildEntry(const std::vector<project::TTaviMenu>& entries, size_t position, int depth,
                      std::vector<bool>& onPath) const;

  std::vector<MenuItem> items_;
  std::vector<std::string> captions_;
  bool built_ = false;
};

}  // namespace kpf::engine
