#include "app/TCharacterPlayer.hpp"

namespace kpf::app {

TCharacterPlayer::TCharacterPlayer(platform::Platform& platform, engine::PlayerOptions options)
    : engine::TFormKPFPlayer(platform, std::move(options)), character_(Window()) {}

void TCharacterPlayer::PlaceWindow() {
  const project::TTaviEvent* animation = CurrentAnimation();
  const platform::Rect current = Window().Bounds();
  const int width = animation != nullptr ? animation->Width : current.width();
  const int height = animation != nullptr ? animation->Height : current.height();
  character_.SetBounds({Left(), Top(), Left() + width, Top() + height});
}

void TCharacterPlayer::DrawFrame(int, int, int variant, const project::TTaviFrame& frame) {
  const int usable = frame.HasVariant(variant % 3) ? variant % 3 : 0;
  project::TVrBitmap* image = Model.FrameImage(frame, usable);
  if (image == nullptr) return;
  PlaceWindow();
  image->ComputeHasAlpha();
  const project::TFrameVariant& shape = frame.Variants[static_cast<size_t>(usable)];
  render::CharacterFrame shown;
  shown.image = {image->Width(), image->Height(), image->Pixels()};
  shown.hasAlpha = image->HasAlpha();
  shown.useTransparentColor = frame.UseTransparentColor;
  shown.runs = shape.Region;
  shown.sameShape = shape.SameShape;
  character_.DrawFrame(shown);
}

void TCharacterPlayer::SetAlpha(uint8_t alpha) { character_.SetAlpha(alpha); }

void TCharacterPlayer::MoveWindow(int x, int y) {
  SetLeftTop(x, y);
  PlaceWindow();
}

}  // namespace kpf::app
