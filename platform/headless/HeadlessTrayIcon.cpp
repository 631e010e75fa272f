#include "platform/headless/HeadlessTrayIcon.hpp"

#include <utility>

#include "platform/headless/HeadlessPopupMenu.hpp"

namespace kpf::platform::headless {

HeadlessTrayIcon::HeadlessTrayIcon(std::shared_ptr<HeadlessDesktop> desktop) : desktop_(std::move(desktop)) {
  desktop_->trays.push_back(this);
}

HeadlessTrayIcon::~HeadlessTrayIcon() { std::erase(desktop_->trays, this); }

void HeadlessTrayIcon::SetPicture(const platform::Picture* picture) {
  picture_ = (picture == nullptr || picture->empty()) ? platform::Picture{} : *picture;
}

void HeadlessTrayIcon::SetMenu(std::function<platform::MenuModel()> entries, platform::MenuChoice onChosen) {
  entries_ = std::move(entries);
  onChosen_ = std::move(onChosen);
}

bool HeadlessTrayIcon::ChooseFromMenu(int id) const {
  if (!entries_ || !onChosen_) return false;
  const platform::MenuModel entries = entries_();
  if (FindClickable(entries, id) == nullptr) return false;
  const platform::MenuChoice handler = onChosen_;
  handler(id);
  return true;
}

}  // namespace kpf::platform::headless
