#pragma once
// Sounds built byte by byte from their documented layouts, and a fixture with a headless desktop,
// a recording sound device and a temporary-file service inside a scratch folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/headless/HeadlessAudio.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "tests/project/ByteBuilder.hpp"
#include "tests/package/ScratchFolder.hpp"

namespace kpf::media::testing {

using Bytes = std::vector<uint8_t>;
using package::testing::ScratchFolder;
using Scratch = ScratchFolder;  // the name the SDL device tests and the sound benchmark use
using test::ByteBuilder;

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
  const auto blockAlign = static_cast<uint16_t>(form.channels * form.bits / 8);
  ByteBuilder samples;
  for (uint32_t frame = 0; frame < form.frames; ++frame) {
    const double value = std::sin(2.0 * 3.14159265358979 * 440.0 * frame / form.rate) * 0.5;
    for (uint16_t channel = 0; channel < form.channels; ++channel) {
      if (form.bits == 8)
        samples.u8(static_cast<uint8_t>(128 + value * 127));
      else
        samples.u16(static_cast<uint16_t>(static_cast<int16_t>(value * 32767)));
    }
  }
  const auto size = static_cast<uint32_t>(samples.size());
  ByteBuilder out;
  out.text("RIFF").u32(36 + size).text("WAVEfmt ").u32(16).u16(1 /* PCM */).u16(form.channels).u32(form.rate);
  return out.u32(form.rate * blockAlign).u16(blockAlign).u16(form.bits).text("data").u32(size).raw(samples).bytes();
}

// A format-0 standard MIDI file: piano, middle C held for `ticks` (96 per quarter note at the
// default 120 bpm, so 96 ticks are 500 ms). Lengths are big-endian.
inline Bytes MakeMidi(uint32_t ticks = 96) {
  ByteBuilder delta;  // variable-length delta time, most significant group first
  for (int shift = 21; shift > 0; shift -= 7)
    if (ticks >> shift) delta.u8(static_cast<uint8_t>(0x80 | ((ticks >> shift) & 0x7F)));
  delta.u8(ticks & 0x7F);
  ByteBuilder track;
  track.raw({0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64}).raw(delta).raw({0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  ByteBuilder out;
  out.text("MThd").raw({0, 0, 0, 6, 0, 0, 0, 1, 0, 96}).text("MTrk").raw({0, 0, 0, static_cast<uint8_t>(track.size())});
  return out.raw(track).bytes();
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

class MediaFixture : public ::testing::Test {
 protected:
  // Lines of the sound device that contain `part`.
  std::vector<std::string> LinesWith(const std::string& part) const {
    std::vector<std::string> found;
    for (const auto& line : audio.Lines())
      if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
  }

  ScratchFolder scratch;  // TMPDIR points to scratch.Tmp(): temporary copies go there
  std::vector<std::string> messages;
  platform::headless::HeadlessPlatform platform;
  platform::headless::HeadlessAudio audio{[this] { return platform.NowMs(); }};
  package::SettingsKey settings{scratch.Settings(), [this](const std::string& text) { messages.push_back(text); }};
  package::TTemporaryFile temporaryFiles{settings, [this](const std::string& text) { messages.push_back(text); }};
};

}  // namespace kpf::media::testing
