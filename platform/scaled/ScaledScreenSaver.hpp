#pragma once
// The screen-saver services with the pointer read in character pixels. Foreign windows keep the
// pixels of the platform below: only the screen-saver host draws into them.
#include "platform/ScreenSaverServices.hpp"
#include "platform/scaled/PixelScale.hpp"

namespace kpf::platform::scaled {

class ScaledScreenSaver : public ScreenSaverServices {
 public:
  ScaledScreenSaver(ScreenSaverServices& inner, PixelScale scale) : inner_(inner), scale_(scale) {}

  std::unique_ptr<InputWatch> WatchScreenInput(std::function<void(ScreenInput)> onInput) override {
    return inner_.WatchScreenInput(std::move(onInput));
  }
  std::optional<Point> ReadPointer() override {
    const std::optional<Point> pointer = inner_.ReadPointer();
    if (!pointer) return std::nullopt;
    return scale_.Down(*pointer);
  }
  void RepaintDesktop() override { inner_.RepaintDesktop(); }
  std::unique_ptr<ForeignWindow> OpenForeignWindow(uint64_t windowId, int waitMs) override {
    return inner_.OpenForeignWindow(windowId, waitMs);
  }
  uint64_t ScreenWindowId() override { return inner_.ScreenWindowId(); }
  Picture ApplicationIcon() override { return inner_.ApplicationIcon(); }

 private:
  ScreenSaverServices& inner_;
  PixelScale scale_;
};

}  // namespace kpf::platform::scaled
