#include "engine/TKPF.hpp"

#include <algorithm>
#include <exception>
#include <limits>

namespace kpf::engine {

uint32_t FrameIntervalMs(int64_t duration, int32_t speed) {
  const int64_t factor = speed == -1 ? 1 : speed;
  const int64_t ms = duration * factor * 10;
  return static_cast<uint32_t>(std::clamp<int64_t>(ms, kMinFrameIntervalMs,
                                                   std::numeric_limits<uint32_t>::max()));
}

int OffsetPosition(int64_t base, int64_t offset) {
  return static_cast<int>(std::clamp<int64_t>(base + offset, std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max()));
}

TKPF::TKPF(platform::Platform& platform) : platform_(platform) {}

TKPF::~TKPF() = default;

project::TTaviEvent* TKPF::CurrentAnimation() {
  if (currentIndex_ < 0 || static_cast<size_t>(currentIndex_) >= Model.Animations.size()) return nullptr;
  return &Model.Animations[static_cast<size_t>(currentIndex_)];
}

const project::TTaviEvent* TKPF::CurrentAnimation() const {
  return const_cast<TKPF*>(this)->CurrentAnimation();
}

void TKPF::EnsurePlaybackTimer() {
  if (playbackTimer_) return;
  playbackTimer_ = platform_.CreateTimer();
  playbackTimer_->SetOnTimer([this] { PlayNextFrame(true); });
}

void TKPF::SetPlaybackEnabled(bool enabled) {
  if (playbackTimer_) playbackTimer_->SetEnabled(enabled);
}

bool TKPF::PlaybackEnabled() const { return playbackTimer_ && playbackTimer_->Enabled(); }

bool TKPF::IsPlaying() const { return PlaybackEnabled() && !Model.Animations.empty(); }

void TKPF::PlayNextFrame(bool computePosition) {
  BusyScope busy(*this);
  try {
    Step(computePosition);
  } catch (const std::exception&) {
    // A frame step failed (an image that does not decode); playback stays stopped until the
    // next start.
    SetPlaybackEnabled(false);
  }
}

void TKPF::Step(bool computePosition) {
  SetPlaybackEnabled(false);
  project::TTaviEvent* animation = CurrentAnimation();
  if (animation == nullptr || frameIndex_ < 0) return;
  const uint64_t generation = generation_;
  const int doneIndex = frameIndex_ - 1;
  if (doneIndex >= 0 && static_cast<size_t>(doneIndex) < animation->Frames.size() && OnFrameDone) {
    OnFrameDone(animation->Frames[static_cast<size_t>(doneIndex)], doneIndex);
    // A frame script may have started another animation or closed the player.
    if (generation != generation_ || CurrentAnimation() != animation) return;
  }
  if (static_cast<size_t>(frameIndex_) >= animation->Frames.size()) {
    CycleComplete(computePosition, *animation);
    return;
  }
  const int index = frameIndex_;
  const project::TTaviFrame& frame = animation->Frames[static_cast<size_t>(index)];
  PlayFrameSounds(frame, index);
  const uint32_t interval = FrameIntervalMs(frame.Duration, speed_);
  int x = left_;
  int y = top_;
  if (computePosition) ComputeFramePosition(*animation, x, y);
  FrameShown(frame, index, x, y);
  if (frame.Kind == project::kImageFrame) {
    if (OnDrawFrame) {
      OnDrawFrame(frame, animation->Variant);
    } else {
      ShowFrame(x, y, frame, animation->Variant);
    }
  } else if (frame.Kind == project::kDocumentFrame) {
    OpenDocumentFrame(frame.Document);
  }
  if (generation != generation_ || CurrentAnimation() != animation) return;
  frameIndex_ = index + 1;
  EnsurePlaybackTimer();
  playbackTimer_->SetInterval(interval);
  playbackTimer_->SetEnabled(true);
}

void TKPF::CycleComplete(bool computePosition, project::TTaviEvent& animation) {
  ++loopCount_;
  const bool again = animation.RepeatCount == 0 || animation.RepeatCount >= loopCount_ + 1;
  const int eventIndex = animation.EventIndex;
  if (again) {
    EnsurePlaybackTimer();
    frameIndex_ = 0;
    if (animation.Frames.empty()) {
      // Nothing to show: the next cycle comes with the next tick instead of an immediate
      // re-run, so a frameless endless animation cannot recurse without bound.
      playbackTimer_->SetInterval(kMinFrameIntervalMs);
      playbackTimer_->SetEnabled(true);
    } else {
      playbackTimer_->SetEnabled(true);
      Step(computePosition);
    }
  }
  if (OnCycleEnd) OnCycleEnd(eventIndex);
  if (!PlaybackEnabled() && OnAnimationEnd) OnAnimationEnd(eventIndex);
}

void TKPF::ComputeFramePosition(const project::TTaviEvent& animation, int& x, int& y) {
  followMouse_ = false;
  const int64_t p0 = animation.Param(0);
  const int64_t p1 = animation.Param(1);
  x = left_;
  y = top_;
  switch (animation.MoveMode) {
    case 1: x = OffsetPosition(left_, -p0); break;
    case 2: x = OffsetPosition(left_, p0); break;
    case 3: y = OffsetPosition(top_, p0); break;
    case 4: y = OffsetPosition(top_, -p0); break;
    case 5:
      x = OffsetPosition(left_, p0);
      y = OffsetPosition(top_, p1);
      break;
    case 6: {
      const platform::Point pointer = platform_.Pointer();
      x = OffsetPosition(pointer.x, p0);
      y = OffsetPosition(pointer.y, p1);
      followMouse_ = true;
      break;
    }
    default: break;
  }
}

void TKPF::StopAnimation() {
  PausePlayback(false);
  frameIndex_ = -1;
  BumpGeneration();
}

void TKPF::PausePlayback(bool allTimers) {
  SetPlaybackEnabled(false);
  PauseOtherTimers(allTimers);
  StopSoundPlayers();
}

void TKPF::GotoFrame(int index) {
  frameIndex_ = index;
  PlayNextFrame(true);
}

void TKPF::Clear() {
  StopAnimation();
  Model.Clear();
  Title = "Tavimo Viewer";
  currentIndex_ = -1;
  loopCount_ = 0;
}

void TKPF::UpdateSoundAvailability() { muted_ = !platform_.HasWaveOut(); }

}  // namespace kpf::engine
