#pragma once
// The player's screen-saver role: whether the player runs as a screen saver and in which mode,
// where the pointer was when it started, and the watch of the whole screen's input that ends it.
// Only the running mode ends on input: in the settings mode the player shows its settings dialog
// modally, and closing it under that dialog would make the settings impossible to change.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.hpp"

namespace kpf::engine {

enum class ScreenSaverMode : uint8_t { Run = 0, Preview = 1, Configure = 2 };

class ScreenSaverRole {
 public:
  // The ordinary role: nothing is watched, nothing ends the player.
  ScreenSaverRole() = default;
  // A screen saver in `mode`; records the pointer position of the start.
  ScreenSaverRole(platform::Platform& platform, ScreenSaverMode mode);

  bool Active() const { return platform_ != nullptr; }
  ScreenSaverMode Mode() const { return mode_; }
  bool EndsOnInput() const { return Active() && mode_ == ScreenSaverMode::Run; }
  // None while the pointer could not be read yet.
  const std::optional<platform::Point>& StartMousePos() const { return startMousePos_; }

  // True when the pointer can be read and lies elsewhere than at the start. A motion report
  // alone proves nothing: one also arrives when a window appears or moves under a still pointer.
  // While no start position is known, the first readable one becomes it.
  bool PointerMoved();
  // Watches input on the whole screen while the role ends on input: `onEnd` runs for a key
  // press, a middle-button press, or a motion that moved the pointer (see PointerMoved).
  void Watch(std::function<void()> onEnd);
  void StopWatching() { watch_.reset(); }
  bool Watching() const { return watch_ != nullptr; }

 private:
  std::optional<platform::Point> ReadPointer() const;
  void Report(platform::ScreenInput input);

  platform::Platform* platform_ = nullptr;
  ScreenSaverMode mode_ = ScreenSaverMode::Run;
  std::optional<platform::Point> startMousePos_;
  std::function<void()> onEnd_;
  std::unique_ptr<platform::InputWatch> watch_;
};

}  // namespace kpf::engine
