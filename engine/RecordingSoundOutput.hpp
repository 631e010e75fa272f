#pragma once
// A sound output for headless runs: writes one trace line per request instead of playing.
#include <cstdint>
#include <functional>

#include "engine/SoundOutput.hpp"
#include "engine/Trace.hpp"

namespace kpf::engine {

class RecordingSoundOutput : public SoundOutput {
 public:
  RecordingSoundOutput(TraceSink sink, std::function<int64_t()> clock);
  void PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) override;
  void StopSounds() override;

 private:
  TraceSink sink_;
  std::function<int64_t()> clock_;
  bool playing_ = false;
};

}  // namespace kpf::engine
