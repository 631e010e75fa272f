#pragma once
// The player bound to a character window: draws frames through render::CharacterWindow (shaped
// or per-pixel transparent, the outline of alpha frames on screens without compositing, shape
// reuse across same-shape frames, whole-window opacity), applies stacking, visibility and cursor,
// suspends window updates, and passes the window's input to the engine.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/TCustomKPFPlayer.hpp"
#include "platform/NativeWindow.hpp"
#include "render/CharacterWindow.hpp"

namespace kpf::engine {

class TFormKPFPlayer : public TCustomKPFPlayer, public platform::WindowInput {
 public:
  TFormKPFPlayer(platform::Platform& platform, PlayerOptions options);
  ~TFormKPFPlayer() override;

  platform::NativeWindow& Window() { return *window_; }
  // Shows the popup menu on screen (the desktop's menu widget); null: nothing is shown.
  std::function<void(PlayerMenu& menu)> OnPopupMenu;
  int UpdateLock() const { return updateLock_; }

  // Window operations.
  void DrawFrame(int x, int y, int variant, const project::TTaviFrame& frame) override;
  void SetAlpha(uint8_t alpha) override;
  void SetFormStyle(bool stayOnTop) override;
  bool GetFormStyle() const override;
  void SetVisible(bool visible) override;
  // What the scripts asked for: true while the window is hidden only for a full-screen program.
  bool IsVisible() const override;
  void SetWindowAside(bool aside) override;
  void RepaintWindow() override {}
  void BeginUpdate() override;
  void EndUpdate() override;
  void SetCursor(int cursorIndex) override;
  // The registered cursor numbers of this player's cursors start after `base` (the cursor table
  // is shared by every player of the process); base 0: the player has no cursors registered.
  void SetCursorBase(int base);
  // The cursor-table number of a project cursor; 0 (the default cursor) for none.
  int CursorNumber(int cursorIndex) const {
    return cursorIndex < 0 || cursorBase_ == 0 ? 0 : cursorBase_ + cursorIndex + 1;
  }
  void PrepareHint() override;
  void MenuPopup() override;
  void PopupMenuAtPointer() override;
  void SetPopupMenu(bool attached) override { popupAttached_ = attached; }
  void MoveWindow(int x, int y) override;
  void ActivateWindow() override { window_->Activate(); }
  bool PlaceBelowWindow(uint64_t windowId) override;

  // WindowInput.
  void MouseDown(platform::MouseButton button, int x, int y) override;
  void MouseMove(bool leftHeld, bool rightHeld, int screenX, int screenY) override;
  void MouseUp(platform::MouseButton button) override;
  void DoubleClick() override;
  void KeyDown(int keyCode) override;
  void KeyUp(int keyCode) override;
  void CloseRequested() override;

  // Premultiplies 0xAARRGGBB pixels by their alpha.
  static void Premultiply(std::span<const uint32_t> pixels, std::vector<uint32_t>& out) {
    render::CharacterWindow::Premultiply(pixels, out);
  }

 private:
  // The window rectangle at the player's position with the current animation's size.
  void ApplyBounds();

  std::unique_ptr<platform::NativeWindow> window_;
  // Set while the window steps aside for a full-screen program: whether it was to be visible.
  std::optional<bool> asideVisible_;
  render::CharacterWindow character_;
  bool popupAttached_ = false;
  // The player's own lock keeps Left/Top at their old values until it returns to 0; the
  // character window's lock (held alongside) keeps the picture, shape and rectangle.
  int updateLock_ = 0;
  std::optional<platform::Point> pendingPosition_;
  int cursorBase_ = 0;
  int cursorIndex_ = -1;
};

}  // namespace kpf::engine
