#pragma once
// The project holder: owns the project model and the header fields, keeps the current animation
// and frame, the window position and the playback timer, and steps frames. The engine
// (TCustomKPFPlayer) supplies the abstract operations and installs the hooks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Platform.hpp"
#include "platform/Timer.hpp"
#include "project/ProjectModel.hpp"

namespace kpf::engine {

// Shortest playback interval: a frame duration of 0 must not make the timer spin.
constexpr uint32_t kMinFrameIntervalMs = 10;

// Frame duration (units of 10 ms) times the speed multiplier (-1: none), computed in 64 bits and
// clamped to [kMinFrameIntervalMs, UINT32_MAX].
uint32_t FrameIntervalMs(int64_t duration, int32_t speed);

// `base` + `offset` clamped to the int range: window positions add offsets taken from stored
// move parameters and from scripts, which may hold any int32.
int OffsetPosition(int64_t base, int64_t offset);

class TKPF {
 public:
  explicit TKPF(platform::Platform& platform);
  virtual ~TKPF();
  TKPF(const TKPF&) = delete;
  TKPF& operator=(const TKPF&) = delete;

  project::ProjectModel Model;
  // Package header fields.
  std::string DesignVersion;
  std::string AboutText;
  std::string Title = "Tavimo Viewer";
  int32_t HeaderFlags = 0;

  // Hooks called by the frame step.
  std::function<void(const project::TTaviFrame& frame, int frameIndex)> OnFrameDone;
  std::function<void(int eventIndex)> OnCycleEnd;
  std::function<void(int eventIndex)> OnAnimationEnd;
  std::function<void(const project::TTaviFrame& frame, int variant)> OnDrawFrame;

  // One frame step. `computePosition` is true when the timer (or GotoFrame) drives the step:
  // the move mode then gives the position; a direct first step shows the frame in place.
  void PlayNextFrame(bool computePosition);
  virtual void ComputeFramePosition(const project::TTaviEvent& animation, int& x, int& y);
  // Restarts the current animation from frame 0.
  virtual void StartAnimation() = 0;
  void StopAnimation();
  void PausePlayback(bool allTimers);
  void GotoFrame(int index);
  // Empties the model and resets the title and the playback state.
  virtual void Clear();
  void UpdateSoundAvailability();

  bool IsPlaying() const;
  int Left() const { return left_; }
  int Top() const { return top_; }
  int CurrentAnimationIndex() const { return currentIndex_; }
  // The animation being played, or null.
  project::TTaviEvent* CurrentAnimation();
  const project::TTaviEvent* CurrentAnimation() const;
  int FrameIndex() const { return frameIndex_; }
  bool Muted() const { return muted_; }
  platform::Platform& Platform() { return platform_; }
  int64_t NowMs() const { return platform_.Loop().NowMs(); }

 protected:
  virtual void PlayFrameSounds(const project::TTaviFrame& frame, int frameIndex) = 0;
  virtual void ShowFrame(int x, int y, const project::TTaviFrame& frame, int variant) = 0;
  // PausePlayback's parts that belong to the engine: with `allTimers` the user timers and the
  // housekeeping timer stop too; the sound players stop in every case.
  virtual void PauseOtherTimers(bool) {}
  virtual void StopSoundPlayers() {}
  // Called at each frame step, for the trace.
  virtual void FrameShown(const project::TTaviFrame&, int, int, int) {}
  // A document frame was reached: open its document (the player asks first).
  virtual void OpenDocumentFrame(const std::string& document) { (void)document; }
  // Entry points that may run scripts hold a BusyScope; the model is released only when the
  // outermost one ends (Unwound), so nothing a running script or step refers to is freed.
  class BusyScope {
   public:
    explicit BusyScope(TKPF& owner) : owner_(owner) { ++owner_.busyDepth_; }
    ~BusyScope() {
      if (--owner_.busyDepth_ == 0) owner_.Unwound();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    TKPF& owner_;
  };
  bool Busy() const { return busyDepth_ > 0; }
  virtual void Unwound() {}
  void EnsurePlaybackTimer();
  void SetPlaybackEnabled(bool enabled);
  bool PlaybackEnabled() const;
  // A new animation took over: steps in progress for the old one stop.
  void BumpGeneration() { ++generation_; }

  platform::Platform& platform_;
  std::unique_ptr<platform::Timer> playbackTimer_;
  int32_t speed_ = 1;
  int left_ = 0;
  int top_ = 0;
  int currentIndex_ = -1;
  int frameIndex_ = -1;
  int loopCount_ = 0;
  bool muted_ = false;
  bool followMouse_ = false;
  uint64_t generation_ = 0;
  int busyDepth_ = 0;

 private:
  void Step(bool computePosition);
  void CycleComplete(bool computePosition, project::TTaviEvent& animation);
};

}  // namespace kpf::engine
