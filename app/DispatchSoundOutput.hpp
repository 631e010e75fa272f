#pragma once
// The engine's frame sounds played through the media layer's sound dispatch (wave and media
// players over the process's audio device).
#include <memory>

#include "engine/SoundOutput.hpp"
#include "media/SoundDispatch.hpp"

namespace kpf::app {

class DispatchSoundOutput : public engine::SoundOutput {
 public:
  explicit DispatchSoundOutput(std::unique_ptr<media::SoundDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

  void PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) override {
    dispatch_->PlaySound(soundIndex, sound, mode);
  }
  void StopSounds() override { dispatch_->StopSounds(); }
  media::SoundDispatch& Dispatch() { return *dispatch_; }

 private:
  std::unique_ptr<media::SoundDispatch> dispatch_;
};

}  // namespace kpf::app
