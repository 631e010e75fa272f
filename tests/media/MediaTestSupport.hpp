#pragma once
// Sounds built byte by byte from their documented layouts, and a scratch folder with its own
// temporary folder and settings store for the media tests.
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::media::testing {

using Bytes = std::vector<uint8_t>;

inline void PutText(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }
// `bytes` bytes of `value`, least significant first (most significant first when `big`).
inline void Put(Bytes& out, uint32_t value, int bytes, bool big = false) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * (big ? bytes - 1 - i : i))));
}
inline void PatchLe32(Bytes& out, size_t at, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct WaveSpec {
  uint16_t channels = 1;
  uint32_t rate = 8000;
  uint16_t bits = 16;
  uint32_t frames = 800;  // 100 ms at 8 kHz
};

// A 16-bit (or 8-bit) PCM RIFF wave holding a 440 Hz tone: "fmt " then "data".
inline Bytes MakeWave(const WaveSpec& form = {}) {
  const uint16_t blockAlign = static_cast<uint16_t>(form.channels * form.bits / 8);
  Bytes samples;
  for (uint32_t frame = 0; frame < form.frames; ++frame) {
    const double value = std::sin(2.0 * 3.14159265358979 * 440.0 * frame / form.rate) * 0.5;
    for (uint16_t channel = 0; channel < form.channels; ++channel) {
      if (form.bits == 8)
        samples.push_back(static_cast<uint8_t>(128 + value * 127));
      else
        Put(samples, static_cast<uint16_t>(static_cast<int16_t>(value * 32767)), 2);
    }
  }
  Bytes out;
  PutText(out, "RIFF");
  Put(out, static_cast<uint32_t>(36 + samples.size()), 4);
  PutText(out, "WAVEfmt ");
  Put(out, 16, 4);
  Put(out, 1, 2);  // PCM
  Put(out, form.channels, 2);
  Put(out, form.rate, 4);
  Put(out, form.rate * blockAlign, 4);
  Put(out, blockAlign, 2);
  Put(out, form.bits, 2);
  PutText(out, "data");
  Put(out, static_cast<uint32_t>(samples.size()), 4);
  out.insert(out.end(), samples.begin(), samples.end());
  return out;
}

// A format-0 standard MIDI file: piano, middle C held for `ticks` (96 per quarter note at the
// default 120 bpm, so 96 ticks are 500 ms).
inline Bytes MakeMidi(uint32_t ticks = 96) {
  Bytes track = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64};
  // Variable-length delta time.
  Bytes delta{static_cast<uint8_t>(ticks & 0x7F)};
  for (uint32_t rest = ticks >> 7; rest != 0; rest >>= 7) delta.insert(delta.begin(), static_cast<uint8_t>(0x80 | (rest & 0x7F)));
  track.insert(track.end(), delta.begin(), delta.end());
  track.insert(track.end(), {0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  Bytes out;
  PutText(out, "MThd");
  Put(out, 6, 4, true);
  out.insert(out.end(), {0, 0, 0, 1, 0, 96});
  PutText(out, "MTrk");
  Put(out, static_cast<uint32_t>(track.size()), 4, true);
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

// An MPEG-1 layer III frame header (128 kbit/s, 44.1 kHz) followed by silence.
inline Bytes MakeMp3Head() {
  Bytes out = {0xFF, 0xFB, 0x90, 0x64};
  out.resize(417, 0);
  return out;
}

// A ProTracker module image: the "M.K." signature at offset 1080.
inline Bytes MakeModHead() {
  Bytes out(1084 + 1024, 0);
  std::copy_n("M.K.", 4, out.begin() + 1080);
  return out;
}

inline Bytes Garbage(size_t size) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(i * 37 + 11);
  return out;
}

class Scratch {
 public:
  Scratch() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kpf-media-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
    for (const char* sub : {"/tmp", "/settings", "/exe"}) std::filesystem::create_directories(root_ + sub);
  }
  ~Scratch() {
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  const std::string& Root() const { return root_; }
  std::string Tmp() const { return root_ + "/tmp"; }
  std::string Settings() const { return root_ + "/settings"; }
  std::string Exe() const { return root_ + "/exe"; }
  std::string Write(const std::string& path, const Bytes& content) const {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return path;
  }
  // Every regular file below `folder` (the root by default), outside `skip` when given.
  std::vector<std::string> Files(const std::string& folder = {}, const std::string& skip = {}) const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.empty() ? root_ : folder)) {
      const std::string path = entry.path().string();
      if (entry.is_regular_file() && (skip.empty() || !path.starts_with(skip))) files.push_back(path);
    }
    return files;
  }

 private:
  std::string root_;
};

}  // namespace kpf::media::testing
