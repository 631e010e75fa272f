#pragma once
// Sounds built byte by byte from their documented layouts, and a scratch folder with its own
// temporary folder and settings store for the media tests.
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kpf::media::testing {

using Bytes = std::vector<uint8_t>;

inline void PutTag(Bytes& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}
inline void PutLe16(Bytes& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}
inline void PutLe32(Bytes& out, uint32_t value) {
  PutLe16(out, value & 0xFFFF);
  PutLe16(out, value >> 16);
}
inline void PutBe32(Bytes& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}
inline void PatchLe32(Bytes& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
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
        PutLe16(samples, static_cast<uint16_t>(static_cast<int16_t>(value * 32767)));
    }
  }
  Bytes out;
  PutTag(out, "RIFF");
  PutLe32(out, 0);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe32(out, 16);
  PutLe16(out, 1);
  PutLe16(out, form.channels);
  PutLe32(out, form.rate);
  PutLe32(out, form.rate * blockAlign);
  PutLe16(out, blockAlign);
  PutLe16(out, form.bits);
  PutTag(out, "data");
  PutLe32(out, static_cast<uint32_t>(samples.size()));
  out.insert(out.end(), samples.begin(), samples.end());
  PatchLe32(out, 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

// A format-0 standard MIDI file: piano, middle C held for `ticks` (96 per quarter note at the
// default 120 bpm, so 96 ticks are 500 ms).
inline Bytes MakeMidi(uint32_t ticks = 96) {
  Bytes track = {0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64};
  // Variable-length delta time.
  Bytes delta;
  delta.push_back(static_cast<uint8_t>(ticks & 0x7F));
  for (uint32_t rest = ticks >> 7; rest != 0; rest >>= 7) delta.insert(delta.begin(), static_cast<uint8_t>(0x80 | (rest & 0x7F)));
  track.insert(track.end(), delta.begin(), delta.end());
  for (uint8_t byte : {0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}) track.push_back(byte);
  Bytes out;
  PutTag(out, "MThd");
  PutBe32(out, 6);
  for (uint8_t byte : {0, 0, 0, 1, 0, 96}) out.push_back(byte);
  PutTag(out, "MTrk");
  PutBe32(out, static_cast<uint32_t>(track.size()));
  out.insert(out.end(), track.begin(), track.end());
  return out;
}

// An MPEG-1 layer III frame header (128 kbit/s, 44.1 kHz) followed by silence.
inline Bytes MakeMp3Head() {
  Bytes out(417, 0);
  out[0] = 0xFF;
  out[1] = 0xFB;
  out[2] = 0x90;
  out[3] = 0x64;
  return out;
}

// A ProTracker module image: the "M.K." signature at offset 1080.
inline Bytes MakeModHead() {
  Bytes out(1084 + 1024, 0);
  const char* tag = "M.K.";
  std::copy(tag, tag + 4, out.begin() + 1080);
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
  // Every regular file below the root (outside the temporary folder when `skipTmp`).
  std::vector<std::string> Files(bool skipTmp) const {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root_)) {
      const std::string path = entry.path().string();
      if (entry.is_regular_file() && !(skipTmp && path.starts_with(Tmp()))) files.push_back(path);
    }
    return files;
  }

 private:
  std::string root_;
};

}  // namespace kpf::media::testing
