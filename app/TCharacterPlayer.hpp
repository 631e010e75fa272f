#pragma once
// The player the main form creates: TFormKPFPlayer whose window operations go through
// render::CharacterWindow, which adds the outline of alpha frames on screens without
// compositing, shape reuse across same-shape frames, suspended updates that apply only the last
// picture, shape and position, and whole-window opacity next to per-pixel alpha.
#include "engine/TFormKPFPlayer.hpp"
#include "render/CharacterWindow.hpp"

namespace kpf::app {

class TCharacterPlayer : public engine::TFormKPFPlayer {
 public:
  TCharacterPlayer(platform::Platform& platform, engine::PlayerOptions options);

  void DrawFrame(int x, int y, int variant, const project::TTaviFrame& frame) override;
  void SetAlpha(uint8_t alpha) override;
  void BeginUpdate() override { character_.BeginUpdate(); }
  void EndUpdate() override { character_.EndUpdate(); }
  void MoveWindow(int x, int y) override;

  const render::CharacterWindow& Character() const { return character_; }

 private:
  // The window rectangle at the player's position with the current animation's size.
  void PlaceWindow();

  render::CharacterWindow character_;
};

}  // namespace kpf::app
