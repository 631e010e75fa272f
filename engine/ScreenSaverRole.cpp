#include "engine/ScreenSaverRole.hpp"

namespace kpf::engine {

ScreenSaverRole::ScreenSaverRole(platform::Platform& platform, ScreenSaverMode mode)
    : platform_(&platform), mode_(mode), startMousePos_(ReadPointer()) {}

std::optional<platform::Point> ScreenSaverRole::ReadPointer() const {
  if (platform_ == nullptr) return std::nullopt;
  if (platform::ScreenSaverServices* services = platform_->ScreenSaver()) return services->ReadPointer();
  return platform_->Pointer();
}

bool ScreenSaverRole::PointerMoved() {
  const std::optional<platform::Point> pointer = ReadPointer();
  if (!pointer) return false;
  if (!startMousePos_) {
    startMousePos_ = pointer;
    return false;
  }
  return !(*pointer == *startMousePos_);
}

void ScreenSaverRole::Watch(std::function<void()> onEnd) {
  onEnd_ = std::move(onEnd);
  platform::ScreenSaverServices* services = platform_ != nullptr ? platform_->ScreenSaver() : nullptr;
  if (!EndsOnInput() || services == nullptr || watch_) return;
  // Without a watch the housekeeping tick's pointer check and the character window's own input
  // still end the screen saver.
  watch_ = services->WatchScreenInput([this](platform::ScreenInput input) { Report(input); });
}

void ScreenSaverRole::Report(platform::ScreenInput input) {
  bool ends = false;
  switch (input) {
    case platform::ScreenInput::KeyDown:
    case platform::ScreenInput::MiddleButtonDown: ends = true; break;
    case platform::ScreenInput::PointerMotion: ends = PointerMoved(); break;
    case platform::ScreenInput::OtherButtonDown: break;
  }
  if (ends && onEnd_) onEnd_();
}

}  // namespace kpf::engine
