#pragma once
// Where the engine's frame sounds go. The media layer supplies the real output; headless runs
// use RecordingSoundOutput.
#include "project/ProjectRecords.hpp"

namespace kpf::engine {

class SoundOutput {
 public:
  virtual ~SoundOutput();
  // Plays project sound `soundIndex` (the record it names) with the frame reference's play mode.
  virtual void PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) = 0;
  virtual void StopSounds() = 0;
};

// Plays nothing.
class SilentSoundOutput : public SoundOutput {
 public:
  void PlaySound(int, const project::TTaviSound&, int) override {}
  void StopSounds() override {}
};

}  // namespace kpf::engine
