#pragma once
// The window that shows one drawing surface on the desktop: a borderless window made the way
// the character window is, sized to the picture and shaped by its transparent colour (input
// shape too, so clicks on transparent pixels reach what lies below). With a click script it
// shows the hand cursor and a left press runs the script; a right press opens the player's
// popup menu.
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "platform/NativeWindow.hpp"
#include "render/Canvas.hpp"

namespace kpf::engine {

class SurfaceWindow : public platform::WindowInput {
 public:
  struct Handlers {
    std::function<void(int32_t script)> click;  // a left press with a click script set
    std::function<void()> popup;                // a right press
  };

  // `id` names the window as the sender of the scripts it runs (never reused by a player).
  SurfaceWindow(std::unique_ptr<platform::NativeWindow> window, int32_t id, Handlers handlers);
  ~SurfaceWindow() override;
  SurfaceWindow(const SurfaceWindow&) = delete;
  SurfaceWindow& operator=(const SurfaceWindow&) = delete;

  int32_t Id() const { return id_; }
  platform::NativeWindow& Native() { return *window_; }
  // Places the window at (x, y) with the picture's size, shows a copy of the picture shaped by
  // `transparentRgb` (0x00RRGGBB), sets the click script (-1: none) and makes it visible.
  void Show(const render::Canvas& picture, uint32_t transparentRgb, int x, int y, int32_t clickScript);
  void Hide();
  // While aside the window stays hidden; shown again it is visible if it was shown.
  void SetAside(bool aside);
  // From now on the window ignores input (it waits to be freed). `unwound` is called when an
  // event of the window that was running meanwhile has returned.
  void Detach(std::function<void()> unwound) {
    handlers_ = {};
    unwound_ = std::move(unwound);
  }
  // True while one of the window's own events runs (a click script may be waiting inside it):
  // the window must not be freed then.
  bool InEvent() const { return eventDepth_ > 0; }

  // WindowInput.
  void MouseDown(platform::MouseButton button, int x, int y) override;
  void MouseMove(bool, bool, int, int) override {}
  void MouseUp(platform::MouseButton) override {}
  void DoubleClick() override {}
  void KeyDown(int) override {}
  void KeyUp(int) override {}
  void CloseRequested() override {}

 private:
  std::unique_ptr<platform::NativeWindow> window_;
  int32_t id_;
  Handlers handlers_;
  int32_t clickScript_ = -1;
  bool shown_ = false;
  bool aside_ = false;
  int eventDepth_ = 0;
  std::function<void()> unwound_;
};

}  // namespace kpf::engine
