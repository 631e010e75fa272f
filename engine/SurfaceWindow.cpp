#include "engine/SurfaceWindow.hpp"

#include <algorithm>
#include <variant>
#include <vector>

#include "render/KeyedShape.hpp"

namespace kpf::engine {

namespace {

// Window positions are 16-bit on the window system.
int WindowCoordinate(int value) { return std::clamp(value, -32768, 32767); }

}  // namespace

SurfaceWindow::SurfaceWindow(std::unique_ptr<platform::NativeWindow> window, int32_t id, Handlers handlers)
    : window_(std::move(window)), id_(id), handlers_(std::move(handlers)) {
  // Not a character window: programs looking for characters by their caption pass it over.
  window_->SetTitle("");
  window_->MoveResize(0, 0, 1, 1);
  window_->SetInput(this);
}

SurfaceWindow::~SurfaceWindow() { window_->SetInput(nullptr); }

void SurfaceWindow::Show(const render::Canvas& picture, uint32_t transparentRgb, int x, int y, int32_t clickScript) {
  const int width = picture.Width(), height = picture.Height();
  window_->MoveResize(WindowCoordinate(x), WindowCoordinate(y), width, height);
  std::vector<uint32_t> opaque(picture.Pixels().begin(), picture.Pixels().end());
  for (uint32_t& pixel : opaque) pixel |= 0xFF000000;
  window_->ShowImage({width, height, opaque});
  auto shape = render::KeyedShape(picture.Pixels(), width, height, transparentRgb);
  if (auto* runs = std::get_if<platform::Region>(&shape)) {
    window_->SetShape(runs);
  } else {
    window_->SetShapeMask(std::get<platform::ShapeMask>(shape));
  }
  clickScript_ = clickScript;
  window_->SetCursor(clickScript != -1 ? platform::kHandCursor : 0);
  shown_ = true;
  window_->SetVisible(!aside_);
}

void SurfaceWindow::Hide() {
  shown_ = false;
  window_->SetVisible(false);
}

void SurfaceWindow::SetAside(bool aside) {
  aside_ = aside;
  window_->SetVisible(shown_ && !aside_);
}

void SurfaceWindow::MouseDown(platform::MouseButton button, int, int) {
  ++eventDepth_;
  // Copies: the script may detach this window while its handler runs.
  if (button == platform::MouseButton::Left && clickScript_ != -1 && handlers_.click) {
    const auto click = handlers_.click;
    click(clickScript_);
  } else if (button == platform::MouseButton::Right && handlers_.popup) {
    const auto popup = handlers_.popup;
    popup();
  }
  if (--eventDepth_ == 0 && unwound_) {
    const auto unwound = unwound_;
    unwound();
  }
}

}  // namespace kpf::engine
