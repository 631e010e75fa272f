#pragma once
// The message boxes a player's scripts have open. A player that closes ends them all: the scripts
// waiting in them go on at once and stop at the player's stop flag, so no answer is written into
// a player that has gone.
#include <memory>
#include <vector>

#include "platform/MessageDialog.hpp"

namespace kpf::engine {

class OpenMessageBoxes {
 public:
  // The closer of a box about to be shown; the box counts as open while the caller holds it.
  std::shared_ptr<platform::MessageDialogCloser> Open();
  // Ends every open box (each answers its dismiss result).
  void CloseAll();
  size_t Count() const;

 private:
  std::vector<std::weak_ptr<platform::MessageDialogCloser>> open_;
};

}  // namespace kpf::engine
