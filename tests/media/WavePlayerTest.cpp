// The wave player: sources, loop and background flags, the shared wave channel, bad input.
#include <gtest/gtest.h>

#include "media/TPlayerWave.hpp"
#include "tests/media/MediaFixture.hpp"

namespace kpf::media {
namespace {

using testing::Bytes;
using testing::MakeWave;

class WavePlayerTest : public testing::MediaFixture {
};

TEST_F(WavePlayerTest, MemoryWaveIsHandedOverWithoutACopyAndKeepsLoopingUntilStopped) {
  const Bytes wave = MakeWave();  // 100 ms
  TPlayerWave player(audio);
  player.WhereWave = TWhereWave::wwInRAM;
  player.Async = true;
  player.Loop = true;
  player.WaveData = wave;
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
}

TEST_F(WavePlayerTest, TrailingBytesAfterTheWaveAreNotPlayed) {
  Bytes wave = MakeWave();
  const size_t waveSize = wave.size();
  wave.resize(wave.size() + 100, 0xEE);
  TPlayerWave player(audio);
  player.WhereWave = TWhereWave::wwInRAM;
  player.Async = true;
  player.WaveData = wave;
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.size(), waveSize);
}

TEST_F(WavePlayerTest, SynchronousPlayReturnsWhenTheSoundHasEnded) {
  const Bytes wave = MakeWave();  // 100 ms
  TPlayerWave player(audio);
  player.WhereWave = TWhereWave::wwInRAM;
  player.WaveData = wave;
  player.SetWaiter([this](uint32_t ms) { platform.AdvanceBy(ms); });
  ASSERT_TRUE(player.Play());
  EXPECT_EQ(platform.NowMs(), 100);
  EXPECT_FALSE(audio.IsPlaying(player.Clip()));
}

TEST_F(WavePlayerTest, ALaterWaveReplacesTheOneOnTheWaveChannel) {
  const Bytes wave = MakeWave();
  TPlayerWave first(audio);
  first.WhereWave = TWhereWave::wwInRAM;
  first.Async = true;
  first.Loop = true;
  first.WaveData = wave;
  TPlayerWave second(audio);
  second.WhereWave = TWhereWave::wwInRAM;
  second.Async = true;
  second.WaveData = wave;
  ASSERT_TRUE(first.Play());
  ASSERT_TRUE(second.Play());
  EXPECT_FALSE(audio.IsPlaying(first.Clip()));
  EXPECT_TRUE(audio.IsPlaying(second.Clip()));
  // Stop silences the channel whoever started the sound.
  first.Stop();
  EXPECT_FALSE(audio.IsPlaying(second.Clip()));
}

TEST_F(WavePlayerTest, FileAndResourceSources) {
  const std::string path = scratch.Write(scratch.Exe() + "/ding.wav", MakeWave());
  const Bytes resource = MakeWave();
  TPlayerWave player(audio);
  player.Async = true;
  player.WaveName = path;
  EXPECT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.size(), resource.size());

  player.WhereWave = TWhereWave::wwInResource;
  player.WaveName = "DING";
  EXPECT_FALSE(player.Play());  // no resources without a lookup
  player.SetResourceLookup([&](const std::string& name) -> std::optional<std::span<const uint8_t>> {
    if (name == "DING") return std::span<const uint8_t>(resource);
    return std::nullopt;
  });
  EXPECT_TRUE(player.Play());
  EXPECT_EQ(audio.Clip(player.Clip())->data.data(), resource.data());
  player.WaveName = "OTHER";
  EXPECT_FALSE(player.Play());
}

TEST_F(WavePlayerTest, UnplayableSoundsGiveFalseAndOpenNothing) {
  std::filesystem::create_directories(scratch.Exe() + "/folder.wav");
  Bytes lying = MakeWave();
  testing::PatchLe32(lying, 40, 0x7FFFFFFF);  // data size past the sound
  const Bytes empty;
  const Bytes midi = testing::MakeMidi();

  TPlayerWave player(audio);
  player.Async = true;
  for (const std::string& name : {scratch.Exe() + "/missing.wav", scratch.Exe() + "/folder.wav", std::string()}) {
    player.WaveName = name;
    EXPECT_FALSE(player.Play()) << name;
  }
  player.WhereWave = TWhereWave::wwInRAM;
  for (const Bytes* data : std::initializer_list<const Bytes*>{&lying, &empty, &midi}) {
    player.WaveData = *data;
    EXPECT_FALSE(player.Play());
  }
  EXPECT_TRUE(audio.OpenClips().empty());
  player.Stop();  // nothing plays: nothing happens
  EXPECT_EQ(audio.Lines(), std::vector<std::string>{"audio stop channel: wave"});
}

TEST_F(WavePlayerTest, DestroyingAPlayerClosesItsSound) {
  const Bytes wave = MakeWave();
  {
    TPlayerWave player(audio);
    player.WhereWave = TWhereWave::wwInRAM;
    player.Async = true;
    player.Loop = true;
    player.WaveData = wave;
    ASSERT_TRUE(player.Play());
  }
  EXPECT_TRUE(audio.OpenClips().empty());
}

}  // namespace
}  // namespace kpf::media
