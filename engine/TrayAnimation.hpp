#pragma once
// The icon animation: the player's second frame player, for the notification-area icon. It steps
// the frames of one animation at their durations (at least 10 ms each, one frame per tick),
// loops by the animation's repeat rule, and hands each picture frame on. It holds its animation
// by position and checks it on every tick: when the animation or the frame has gone, or the
// animation has no picture frame to show, it stops.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.hpp"
#include "project/ProjectModel.hpp"

namespace kpf::engine {

// The tray picture of a frame: its variant-0 image with its own alpha, or opaque with the frame's
// transparent colour cut out when the frame uses one. Empty without a readable image.
platform::Picture TrayPictureOfFrame(project::ProjectModel& model, const project::TTaviFrame& frame);

class TrayAnimation {
 public:
  // Receives each picture frame shown: the animation, the frame's position and its interval.
  using ShowFrame = std::function<void(const project::TTaviEvent& animation, int frameIndex, uint32_t intervalMs)>;

  TrayAnimation(platform::Platform& platform, project::ProjectModel& model, ShowFrame show);
  ~TrayAnimation();
  TrayAnimation(const TrayAnimation&) = delete;
  TrayAnimation& operator=(const TrayAnimation&) = delete;

  // Plays the animation with that name (compared without case) from its first frame; the timer
  // is made on first use. A name that names no animation stops the icon animation: false.
  bool Start(const std::string& name);
  // Disables the timer and resets the frame and loop counters.
  void Stop();
  bool Running() const { return timer_ && timer_->Enabled(); }
  int AnimationIndex() const { return animation_; }
  int FrameIndex() const { return frame_; }
  int LoopCount() const { return loops_; }

 private:
  void Tick();

  platform::Platform& platform_;
  project::ProjectModel& model_;
  ShowFrame show_;
  std::unique_ptr<platform::Timer> timer_;
  int animation_ = -1;
  int frame_ = 0;
  int loops_ = 0;
};

}  // namespace kpf::engine
