#include "engine/TrayAnimation.hpp"

#include <algorithm>

#include "desktop/PictureTransparency.hpp"
#include "engine/TKPF.hpp"

namespace kpf::engine {

namespace {

bool HasPictureFrame(const project::TTaviEvent& animation) {
  return std::any_of(animation.Frames.begin(), animation.Frames.end(),
                     [](const project::TTaviFrame& frame) { return frame.Kind == project::kImageFrame; });
}

}  // namespace

platform::Picture TrayPictureOfFrame(project::ProjectModel& model, const project::TTaviFrame& frame) {
  project::TVrBitmap* image = model.FrameImage(frame, 0);
  if (image == nullptr || image->Width() <= 0 || image->Height() <= 0) return {};
  const std::span<const uint32_t> pixels = image->Pixels();
  image->ComputeHasAlpha();
  if (image->HasAlpha()) {
    return platform::Picture{image->Width(), image->Height(), std::vector<uint32_t>(pixels.begin(), pixels.end())};
  }
  const int32_t key = frame.UseTransparentColor ? static_cast<int32_t>(frame.TransparentColor) : desktop::kClNone;
  return desktop::MakeTransparent(image->Width(), image->Height(), pixels, key);
}

TrayAnimation::TrayAnimation(platform::Platform& platform, project::ProjectModel& model, ShowFrame show)
    : platform_(platform), model_(model), show_(std::move(show)) {}

TrayAnimation::~TrayAnimation() {
  if (timer_) timer_->SetEnabled(false);
}

bool TrayAnimation::Start(const std::string& name) {
  if (!timer_) {
    timer_ = platform_.CreateTimer();
    timer_->SetOnTimer([this] { Tick(); });
  }
  const int32_t index = model_.AnimationIndexByName(name);
  if (index < 0) {
    Stop();
    return false;
  }
  animation_ = index;
  frame_ = 0;
  loops_ = 0;
  // The first frame comes at once (the shortest interval); later ones at their durations.
  timer_->SetInterval(kMinFrameIntervalMs);
  timer_->SetEnabled(true);
  return true;
}

void TrayAnimation::Stop() {
  if (timer_) timer_->SetEnabled(false);
  frame_ = 0;
  loops_ = 0;
}

void TrayAnimation::Tick() {
  timer_->SetEnabled(false);
  if (animation_ < 0 || static_cast<size_t>(animation_) >= model_.Animations.size()) return Stop();
  const project::TTaviEvent& animation = model_.Animations[static_cast<size_t>(animation_)];
  // Without a picture frame the loop below would cycle through nothing for ever.
  if (!HasPictureFrame(animation) || frame_ < 0) return Stop();
  if (static_cast<size_t>(frame_) >= animation.Frames.size()) {
    ++loops_;
    if (animation.RepeatCount != 0 && animation.RepeatCount <= loops_) return;  // played out
    frame_ = 0;
  }
  const project::TTaviFrame& frame = animation.Frames[static_cast<size_t>(frame_)];
  const uint32_t interval = FrameIntervalMs(frame.Duration, -1);
  timer_->SetInterval(interval);
  const int shown = frame_++;
  timer_->SetEnabled(true);
  // Last: the receiver may stop or restart the animation.
  if (frame.Kind == project::kImageFrame && show_) show_(animation, shown, interval);
}

}  // namespace kpf::engine
