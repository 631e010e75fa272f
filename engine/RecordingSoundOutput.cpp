#include "engine/RecordingSoundOutput.hpp"

#include <utility>

namespace kpf::engine {

RecordingSoundOutput::RecordingSoundOutput(TraceSink sink, std::function<int64_t()> clock)
    : sink_(std::move(sink)), clock_(std::move(clock)) {}

void RecordingSoundOutput::PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) {
  playing_ = true;
  if (!sink_) return;
  sink_(TraceLine(clock_(), "sound")
            .Int("index", soundIndex)
            .Text("name", sound.Name)
            .Int("kind", sound.Kind)
            .Int("mode", mode)
            .str());
}

// Only a stop that ends something played is recorded, so the trace is not filled with the stop
// every new animation makes.
void RecordingSoundOutput::StopSounds() {
  if (!playing_) return;
  playing_ = false;
  if (sink_) sink_(TraceLine(clock_(), "sound-stop").str());
}

}  // namespace kpf::engine
