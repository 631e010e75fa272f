// The wave player: sources, loop and background flags, the shared wave channel, bad input.
#include <gtest/gtest.h>

#include "media/TPlayerWave.hpp"
#include "tests/media/MediaFixture.hpp"

namespace kpf::media {
namespace {

using testing::Bytes;
using testing::MakeWave;

class WavePlayerTest : public testing::MediaFixture {
 protected:
  // Sets `player` up to play `wave` from memory.
  static void InRam(TPlayerWave& player, const Bytes& wave, bool loop = false, bool async = true) {
    player.WhereWave = TWhereWave::wwInRAM;
    player.Async = async;
    player.Loop = loop;
    player.WaveData = wave;
  }
  const Bytes wave = MakeWave();  // 100 ms
};

TEST_F(WavePlayerTest, MemoryWaveIsHandedOverWithoutACopyLoopsUntilStoppedAndClosesWithThePlayer) {
  {
    TPlayerWave player(audio);
    InRam(player, wave, true);
    ASSERT_TRUE(player.Play());
    const auto* clip = audio.Clip(player.Clip());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->data.data(), wave.data());
    EXPECT_EQ(clip->data.size(), wave.size());
    EXPECT_EQ(clip->channel, platform::AudioChannel::Wave);
    platform.AdvanceBy(1000);
    EXPECT_TRUE(audio.IsPlaying(player.Clip()));
    player.Stop();
    EXPECT_FALSE(audio.IsPlaying(player.Clip()));
    ASSERT_TRUE(player.Play());
  }
  EXPECT_TRUE(audio.OpenClips().empty());
}

TEST_F(WavePlayerTest, TrailingBytesAfterTheWaveAreNotPlayed) {
  Bytes padded = wave;
  padded.resize(wave.size() + 100, 0xEE);
  TPlayerWave player(audio);
  InRam(player, padded);
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.size(), wave.size());
}

TEST_F(WavePlayerTest, SynchronousPlayReturnsWhenTheSoundHasEnded) {
  TPlayerWave player(audio);
  InRam(player, wave, false, false);
  player.SetWaiter([this](uint32_t ms) { platform.AdvanceBy(ms); });
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(platform.NowMs(), 100);
  EXPECT_FALSE(audio.IsPlaying(player.Clip()));
}

TEST_F(WavePlayerTest, ALaterWaveReplacesTheOneOnTheWaveChannel) {
  TPlayerWave first(audio), second(audio);
  InRam(first, wave, true);
  InRam(second, wave);
  ASSERT_TRUE(first.Play());
  ASSERT_TRUE(second.Play());
  EXPECT_FALSE(audio.IsPlaying(first.Clip()));
  EXPECT_TRUE(audio.IsPlaying(second.Clip()));
  first.Stop();  // silences the channel whoever started the sound
  EXPECT_FALSE(audio.IsPlaying(second.Clip()));
}

TEST_F(WavePlayerTest, FileAndResourceSources) {
  TPlayerWave player(audio);
  player.Async = true;
  player.WaveName = scratch.Write(scratch.Exe() + "/ding.wav", wave);
  EXPECT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.size(), wave.size());

  player.WhereWave = TWhereWave::wwInResource;
  player.WaveName = "DING";
  EXPECT_FALSE(player.Play());  // no resources without a lookup
  player.SetResourceLookup([&](const std::string& name) -> std::optional<std::span<const uint8_t>> {
    if (name == "DING") return std::span<const uint8_t>(wave);
    return std::nullopt;
  });
  EXPECT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.data(), wave.data());
  player.WaveName = "OTHER";
  EXPECT_FALSE(player.Play());
}

TEST_F(WavePlayerTest, UnplayableSoundsGiveFalseAndOpenNothing) {
  std::filesystem::create_directories(scratch.Exe() + "/folder.wav");
  Bytes lying = wave;
  testing::PatchLe32(lying, 40, 0x7FFFFFFF);  // data size past the sound
  TPlayerWave player(audio);
  player.Async = true;
  for (const std::string& name : {scratch.Exe() + "/missing.wav", scratch.Exe() + "/folder.wav", std::string()}) {
    player.WaveName = name;
    EXPECT_FALSE(player.Play()) << name;
  }
  for (const Bytes& data : {lying, Bytes{}, testing::MakeMidi()}) {
    InRam(player, data);
    EXPECT_FALSE(player.Play());
  }
  EXPECT_TRUE(audio.OpenClips().empty());
  player.Stop();  // nothing plays: nothing happens
  EXPECT_EQ(audio.Lines(), std::vector<std::string>{"audio stop channel: wave"});
}

}  // namespace
}  // namespace kpf::media
