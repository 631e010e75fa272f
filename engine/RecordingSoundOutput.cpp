#include "engine/RecordingSoundOutput.hpp"

#include <utility>

namespace kpf::engine {

RecordingSoundOutput::RecordingSoundOutput(TraceSink sink, std::function<int64_t()> clock)
    : sink_(std::move(sink)), clock_(std::move(clock)) {}

void RecordingSoundOutput::PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) {
  if (!sink_) return;
  sink_(TraceLine(clock_(), "sound")
            .Int("index", soundIndex)
            .Text("name", sound.Name)
            .Int("kind", sound.Kind)
            .Int("mode", mode)
            .str());
}

void RecordingSoundOutput::StopSounds() {
  if (sink_) sink_(TraceLine(clock_(), "sound-stop").str());
}

}  // namespace kpf::engine
