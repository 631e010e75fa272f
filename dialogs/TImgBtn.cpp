#include "dialogs/TImgBtn.hpp"

namespace kpf::dialogs {

void TImgBtn::MouseEnter() {
  if (!Supported) return;
  MouseInside = true;
  Show(Pressed ? Face::Down : Face::Up);
  if (OnChange) OnChange();
}

void TImgBtn::MouseLeave() {
  if (!Supported) return;
  MouseInside = false;
  Show(Face::Idle);
  if (OnChange) OnChange();
}

void TImgBtn::MouseDown() {
  if (!Supported) return;
  Pressed = true;
  if (MouseInside) Show(Face::Down);
  if (OnChange) OnChange();
}

void TImgBtn::MouseUp() {
  if (!Supported) return;
  Pressed = false;
  if (MouseInside) Show(Face::Up);
  if (OnChange) OnChange();
}

const platform::Picture& TImgBtn::Shown() const {
  const platform::Picture& face = shown_ == Face::Down ? PicDown : shown_ == Face::Up ? PicUp : Pic;
  return face.empty() ? Pic : face;
}

void TImgBtn::Show(Face face) {
  shown_ = face;
  if (OnShow) OnShow(Shown());
}

}  // namespace kpf::dialogs
