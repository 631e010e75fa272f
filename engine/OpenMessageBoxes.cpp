#include "engine/OpenMessageBoxes.hpp"

#include <algorithm>

namespace kpf::engine {

std::shared_ptr<platform::MessageDialogCloser> OpenMessageBoxes::Open() {
  std::erase_if(open_, [](const auto& box) { return box.expired(); });
  auto closer = std::make_shared<platform::MessageDialogCloser>();
  open_.push_back(closer);
  return closer;
}

void OpenMessageBoxes::CloseAll() {
  // Closing runs no script, but a copy keeps the walk safe whatever the backend does.
  const auto boxes = open_;
  for (const auto& box : boxes) {
    if (const auto closer = box.lock()) closer->Close();
  }
}

size_t OpenMessageBoxes::Count() const {
  return static_cast<size_t>(std::count_if(open_.begin(), open_.end(), [](const auto& box) { return !box.expired(); }));
}

}  // namespace kpf::engine
