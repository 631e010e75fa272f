#pragma once
// Checks a wave file image before any decoder sees it. The simple sound call takes the address
// of a wave image without its size and trusts the headers inside; here every RIFF chunk is
// checked against the size the sound really has, so a lying header cannot make the mixer read
// past the sound's data.
#include <cstdint>
#include <span>

namespace kpf::media {

struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t averageBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
};

struct CheckedWave {
  std::span<const uint8_t> image;  // the RIFF form exactly (trailing bytes after it dropped)
  WaveFormat format;
  std::span<const uint8_t> samples;  // contents of the "data" chunk
};

// Limits of the "fmt " chunk that any decoder may be asked for.
constexpr uint16_t kMaxWaveChannels = 8;
constexpr uint32_t kMaxWaveRate = 384000;

// Throws project::EStreamError naming the fault when `data` is not a well-formed RIFF wave:
// wrong magic, a RIFF size past the data, a chunk past the RIFF form, no or a bad "fmt " chunk
// before "data", no "data" chunk.
CheckedWave CheckRiffWave(std::span<const uint8_t> data);

// True when `data` starts like a RIFF wave (magic only; CheckRiffWave decides).
bool LooksLikeRiffWave(std::span<const uint8_t> data);

}  // namespace kpf::media
