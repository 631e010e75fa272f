#include "media/TPlayerWave.hpp"

#include <chrono>
#include <thread>
#include <utility>

#include "media/RiffWave.hpp"
#include "media/SoundFile.hpp"
#include "project/Errors.hpp"

namespace kpf::media {

TPlayerWave::TPlayerWave(platform::AudioDevice& device)
    : device_(device), waiter_([](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {}

TPlayerWave::~TPlayerWave() { CloseClip(); }

void TPlayerWave::CloseClip() {
  if (clip_ == 0) return;
  device_.Close(clip_);
  clip_ = 0;
}

std::string TPlayerWave::Label() const {
  if (!WaveName.empty()) return WaveName;
  return WhereWave == TWhereWave::wwInRAM ? "(memory)" : "(unnamed)";
}

std::optional<std::span<const uint8_t>> TPlayerWave::Source() {
  switch (WhereWave) {
    case TWhereWave::wwInRAM:
      return WaveData;
    case TWhereWave::wwInResource:
      if (!resources_) return std::nullopt;
      return resources_(WaveName);
    case TWhereWave::wwInFile: {
      auto bytes = ReadSoundFile(WaveName);
      if (!bytes) return std::nullopt;
      fileImage_ = std::move(*bytes);
      return std::span<const uint8_t>(fileImage_);
    }
  }
  return std::nullopt;
}

bool TPlayerWave::Play() {
  CloseClip();
  const auto source = Source();
  if (!source || source->empty()) return false;
  std::span<const uint8_t> image;
  try {
    image = CheckRiffWave(*source).image;
  } catch (const project::EStreamError&) {
    return false;
  }
  clip_ = device_.OpenMemory(image, platform::AudioKind::Wave, platform::AudioChannel::Wave, Label());
  if (clip_ == 0) return false;
  if (!device_.Play(clip_, Loop)) {
    CloseClip();
    return false;
  }
  // A looped sound never ends by itself, so it cannot be waited for.
  if (!Async && !Loop)
    while (device_.IsPlaying(clip_)) waiter_(kSyncPollMs);
  return true;
}

void TPlayerWave::Stop() { device_.StopChannel(platform::AudioChannel::Wave); }

}  // namespace kpf::media
