// The players: the wave player (sources, loop and background flags, the shared wave channel,
// bad input) and the media player (kinds from names, content checks, temporary copies, the loop
// check).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "media/TMyMediaPlayer.hpp"
#include "media/TPlayerWave.hpp"
#include "tests/media/MediaTestSupport.hpp"

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

// Bytes after the wave's RIFF form are not played.
TEST_F(WavePlayerTest, MemoryWaveIsHandedOverWithoutACopyLoopsUntilStoppedAndClosesWithThePlayer) {
  Bytes padded = wave;
  padded.resize(wave.size() + 100, 0xEE);
  {
    TPlayerWave player(audio);
    InRam(player, padded, true);
    ASSERT_TRUE(player.Play());
    const auto* clip = audio.Clip(player.Clip());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->data.data(), padded.data());
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

TEST_F(WavePlayerTest, UnplayableSoundsGiveFalseAndOpenNothingAndFileAndResourceSourcesPlay) {
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

  player.WhereWave = TWhereWave::wwInFile;
  player.WaveName = scratch.Write("exe/ding.wav", wave);
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

class MediaPlayerTest : public testing::MediaFixture {
 protected:
  std::string WriteExe(const std::string& name, const Bytes& content) { return scratch.Write("exe/" + name, content); }
  // Writes the file next to the executable and opens it; its path.
  std::string OpenExe(const std::string& name, const Bytes& content) {
    const std::string path = WriteExe(name, content);
    player.SetFileName(path);
    player.Open();
    return path;
  }
  TMyMediaPlayer player{platform, audio, temporaryFiles, scratch.Exe()};
};

TEST_F(MediaPlayerTest, OpensByExtensionAndPlaysOnTheMediaChannelOnce) {
  const std::string path = OpenExe("tune.mid", testing::MakeMidi());
  EXPECT_TRUE(player.Opened());
  EXPECT_EQ(player.DeviceKind(), kKindMidi);
  player.Play();
  EXPECT_EQ(player.LastError(), 0u);
  EXPECT_EQ(audio.Lines(), (std::vector<std::string>{"audio open 1: " + path + " (midi, media, file)",
                                                      "audio play 1: " + path + " loop=0"}));
  EXPECT_FALSE(player.LoopTimer().Enabled());
  EXPECT_EQ(player.LoopTimer().Interval(), 1000u);
  platform.AdvanceBy(10000);  // unlooped: not restarted
  EXPECT_EQ(LinesWith("audio play").size(), 1u);
  EXPECT_EQ(player.Position(), player.Length());
}

TEST_F(MediaPlayerTest, LoopedMidiRestartsFromTheStartAtTheFirstCheckAfterItsEnd) {
  audio.SetLengthFor(scratch.Exe() + "/tune.mid", 1500);
  OpenExe("tune.mid", testing::MakeMidi());
  player.SetLoop(true);
  player.Play();
  EXPECT_TRUE(player.LoopTimer().Enabled());
  platform.AdvanceBy(1000);  // check at 1000: still playing
  EXPECT_TRUE(LinesWith("seek").empty());
  EXPECT_EQ(player.Position(), 1000u);
  platform.AdvanceBy(1000);  // check at 2000: ended at 1500
  EXPECT_EQ(LinesWith("seek"), std::vector<std::string>{"audio seek 1: 0"});
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
  EXPECT_EQ(player.Position(), 0u);
  EXPECT_EQ(player.Length(), 1500u);
  platform.AdvanceBy(1000);  // 3000: playing again since 2000
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
  player.Stop();
  EXPECT_FALSE(player.LoopTimer().Enabled());
  platform.AdvanceBy(5000);
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
}

TEST_F(MediaPlayerTest, MidiAfterMp3KeepsTheMp3KindAndStillPlays) {
  OpenExe("song.mp3", testing::MakeMp3Head());
  EXPECT_EQ(player.DeviceKind(), kKindMp3);
  player.Close();
  const std::string midi = OpenExe("tune.mid", testing::MakeMidi());
  EXPECT_EQ(player.DeviceKind(), kKindMp3);
  player.Play();
  EXPECT_EQ(LinesWith("audio open 2"), std::vector<std::string>{"audio open 2: " + midi + " (midi, media, file)"});
}

TEST_F(MediaPlayerTest, IdlePlayerDoesNothingAndAnUnknownExtensionOpensNothingAndPlayRaises) {
  player.Stop();
  player.Close();
  EXPECT_EQ(std::tuple(player.Position(), player.Length()), std::tuple(0u, 0u));
  player.Seek(10);
  EXPECT_EQ(player.ErrorText(), "Open media failed");
  OpenExe("notes.txt", testing::MakeMidi());
  EXPECT_FALSE(player.Opened());
  EXPECT_EQ(player.DeviceKind(), 0);
  EXPECT_THAT([&] { player.Play(); }, ::testing::ThrowsMessage<MyMediaException>(::testing::StrEq("Device not assigned")));
  EXPECT_TRUE(audio.Lines().empty());
}

TEST_F(MediaPlayerTest, FailedOpensRaiseWithTheErrorText) {
  std::filesystem::create_directories(scratch.Exe() + "/folder.mid");
  audio.SetUnsupported(platform::AudioKind::Module);
  const std::vector<std::string> files = {
      WriteExe("noise.mid", testing::Garbage(3000)),  // not what the name says
      WriteExe("song.wav", testing::MakeMidi()),      // the same
      WriteExe("tune.mod", testing::MakeModHead()),   // no decoder on this device
      WriteExe("tune.itz", testing::MakeModHead()),   // no decoder anywhere
      WriteExe("empty.mp3", {}),
      scratch.Exe() + "/missing.mid",
      scratch.Exe() + "/folder.mid",
  };
  for (const auto& file : files) {
    player.Close();
    player.SetFileName(file);
    EXPECT_THROW(player.Open(), MyMediaException) << file;
    EXPECT_NE(player.LastError(), 0u) << file;
    EXPECT_FALSE(player.ErrorText().empty()) << file;
    EXPECT_FALSE(player.Opened()) << file;
    EXPECT_EQ(player.DeviceID(), 0u) << file;
    EXPECT_NO_THROW(player.Play()) << file;  // nothing open: only LastError tells
  }
  EXPECT_TRUE(audio.OpenClips().empty());
}

// Data that does not fit the kind is refused before anything is written.
TEST_F(MediaPlayerTest, LoadFromResourceRefusesWrongDataAndWritesARegisteredCopyAndPlaysFromMemory) {
  player.SetDeviceKind(kKindMpp);
  EXPECT_THROW(player.LoadFromResource(testing::MakeMp3Head()), MyMediaException);
  player.SetDeviceKind(kKindMidi);
  EXPECT_THROW(player.LoadFromResource({}), MyMediaException);
  EXPECT_THROW(player.LoadFromResource(testing::MakeMp3Head()), MyMediaException);
  EXPECT_TRUE(temporaryFiles.Files().empty());
  EXPECT_TRUE(audio.OpenClips().empty());
  const Bytes midi = testing::MakeMidi();
  player.LoadFromResource(midi);
  const std::string copy = player.GetFileName();
  EXPECT_TRUE(copy.ends_with(".MID")) << copy;
  EXPECT_TRUE(copy.starts_with(scratch.Tmp() + "/")) << copy;
  EXPECT_EQ(ReadSoundFile(copy), midi);
  EXPECT_EQ(temporaryFiles.Files(), std::vector<std::string>{copy});
  const auto* clip = audio.Clip(player.DeviceID());
  ASSERT_NE(clip, nullptr);
  EXPECT_FALSE(clip->fromFile);
  EXPECT_EQ(clip->data.data(), midi.data());
}

TEST_F(MediaPlayerTest, LoopedMp3RestartsOnceAtEachEnd) {
  const Bytes mp3 = testing::MakeMp3Head();
  player.SetDeviceKind(kKindSecond);
  player.LoadFromResource(mp3);
  // The second channel's copy is named and opened as the MP3 kind.
  EXPECT_TRUE(player.GetFileName().ends_with(".MP3"));
  EXPECT_EQ(player.DeviceKind(), kKindMp3);
  player.SetLoop(true);
  player.Play();  // default length 1000 ms
  platform.AdvanceBy(1000);  // ended exactly now: restarted
  platform.AdvanceBy(500);
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
  EXPECT_EQ(player.Position(), 500u);
  platform.AdvanceBy(500);
  EXPECT_EQ(LinesWith("audio play").size(), 3u);
}

TEST_F(MediaPlayerTest, PluginFolderIsTheExecutableFolderWhenAPluginIsThere) {
  EXPECT_EQ(player.PluginFolder(), SystemTempFolder());
  WriteExe("elamp.dll", {1});
  TMyMediaPlayer withPlugin(platform, audio, temporaryFiles, scratch.Exe());
  EXPECT_EQ(withPlugin.PluginFolder(), scratch.Exe() + "/");
}

}  // namespace
}  // namespace kpf::media
