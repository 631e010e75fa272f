// Wave images are checked chunk by chunk against the sound's real size.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "media/RiffWave.hpp"
#include "project/Errors.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media {
namespace {

using testing::Bytes;
using testing::MakeWave;
using testing::PatchLe32;

constexpr size_t kFmtAt = 12;
constexpr size_t kDataAt = 36;  // MakeWave: "fmt " (16 bytes) then "data"

TEST(RiffWaveTest, WellFormedWaveGivesFormatSamplesAndExactImage) {
  Bytes wave = MakeWave({.channels = 2, .rate = 22050, .bits = 16, .frames = 10});
  const size_t formSize = wave.size();
  wave.insert(wave.end(), {1, 2, 3});  // bytes after the RIFF form are not the wave's
  const CheckedWave checked = CheckRiffWave(wave);
  EXPECT_EQ(checked.image.data(), wave.data());
  EXPECT_EQ(checked.image.size(), formSize);
  EXPECT_EQ(checked.format.channels, 2);
  EXPECT_EQ(checked.format.samplesPerSecond, 22050u);
  EXPECT_EQ(checked.format.blockAlign, 4);
  EXPECT_EQ(checked.samples.size(), 40u);
  EXPECT_EQ(checked.samples.data(), wave.data() + kDataAt + 8);
}

TEST(RiffWaveTest, OddChunkIsPaddedAndUnknownChunksAreSkipped) {
  Bytes wave = MakeWave();
  // An odd-sized "LIST" chunk with its pad byte between "fmt " and "data".
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  wave.insert(wave.begin() + kDataAt, list.begin(), list.end());
  PatchLe32(wave, 4, static_cast<uint32_t>(wave.size() - 8));
  EXPECT_NO_THROW(CheckRiffWave(wave));

  // An odd "data" chunk at the very end may lack its pad byte.
  Bytes odd = MakeWave({.channels = 1, .rate = 8000, .bits = 8, .frames = 7});
  ASSERT_EQ(odd.size() % 2, 1u);
  EXPECT_EQ(CheckRiffWave(odd).samples.size(), 7u);
}

TEST(RiffWaveTest, MalformedWavesAreRefusedWithAStreamError) {
  const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> cases = {
      {"empty", [](Bytes& w) { w.clear(); }},
      {"not RIFF", [](Bytes& w) { w[0] = 'X'; }},
      {"not WAVE", [](Bytes& w) { w[8] = 'X'; }},
      {"RIFF size past the sound", [](Bytes& w) { PatchLe32(w, 4, static_cast<uint32_t>(w.size())); }},
      {"RIFF size huge", [](Bytes& w) { PatchLe32(w, 4, 0xFFFFFFF0u); }},
      {"RIFF size too small", [](Bytes& w) { PatchLe32(w, 4, 2); }},
      {"data size past the form", [](Bytes& w) { PatchLe32(w, kDataAt + 4, 0x7FFFFFFFu); }},
      {"fmt size past the form", [](Bytes& w) { PatchLe32(w, kFmtAt + 4, 0x10000u); }},
      {"sound cut inside data", [](Bytes& w) { w.resize(w.size() - 10); }},
      {"fmt too short", [](Bytes& w) {
         PatchLe32(w, kFmtAt + 4, 14);
         w.erase(w.begin() + kFmtAt + 8 + 14, w.begin() + kFmtAt + 8 + 16);
         PatchLe32(w, 4, static_cast<uint32_t>(w.size() - 8));
       }},
      {"zero channels", [](Bytes& w) { w[kFmtAt + 10] = 0; }},
      {"zero rate", [](Bytes& w) { PatchLe32(w, kFmtAt + 12, 0); }},
      {"block size not matching", [](Bytes& w) { w[kFmtAt + 20] = 7; }},
      {"no data chunk", [](Bytes& w) { w[kDataAt] = 'x'; }},
      {"no fmt chunk", [](Bytes& w) { w[kFmtAt] = 'x'; }},
      {"truncated chunk header", [](Bytes& w) {
         w.insert(w.end(), {'a', 'b', 'c'});
         PatchLe32(w, 4, static_cast<uint32_t>(w.size() - 8));
       }},
  };
  for (const auto& [name, spoil] : cases) {
    Bytes wave = MakeWave();
    spoil(wave);
    EXPECT_THROW(CheckRiffWave(wave), project::EStreamError) << name;
  }
}

}  // namespace
}  // namespace kpf::media
