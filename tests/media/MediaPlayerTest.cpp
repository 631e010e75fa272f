// The media player: kinds from names, content checks, temporary copies, the loop check.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "media/SoundFormat.hpp"
#include "media/SoundFile.hpp"
#include "media/TMyMediaPlayer.hpp"
#include "tests/media/MediaFixture.hpp"

namespace kpf::media {
namespace {

using testing::Bytes;

class MediaPlayerTest : public testing::MediaFixture {
 protected:
  std::string WriteExe(const std::string& name, const Bytes& content) {
    return scratch.Write(scratch.Exe() + "/" + name, content);
  }
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

TEST_F(MediaPlayerTest, UnknownExtensionOpensNothingAndPlayRaises) {
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

TEST_F(MediaPlayerTest, LoadFromResourceWritesARegisteredCopyAndPlaysFromMemory) {
  const Bytes midi = testing::MakeMidi();
  player.SetDeviceKind(kKindMidi);
  player.LoadFromResource(midi);
  const std::string copy = player.GetFileName();
  EXPECT_TRUE(copy.ends_with(".MID")) << copy;
  EXPECT_TRUE(copy.starts_with(scratch.Tmp() + "/")) << copy;
  EXPECT_EQ(ReadSoundFile(copy), midi);
  EXPECT_NE(std::find(temporaryFiles.Files().begin(), temporaryFiles.Files().end(), copy), temporaryFiles.Files().end());
  const auto* clip = audio.Clip(player.DeviceID());
  ASSERT_NE(clip, nullptr);
  EXPECT_FALSE(clip->fromFile);
  EXPECT_EQ(clip->data.data(), midi.data());
}

TEST_F(MediaPlayerTest, SecondChannelDataOpensAsTheMp3KindOfItsCopy) {
  const Bytes wave = testing::MakeWave();
  player.SetDeviceKind(kKindSecond);
  player.LoadFromResource(wave);
  EXPECT_TRUE(player.GetFileName().ends_with(".MP3"));
  EXPECT_EQ(player.DeviceKind(), kKindMp3);
  EXPECT_EQ(audio.Clip(player.DeviceID())->kind, platform::AudioKind::Wave);
}

TEST_F(MediaPlayerTest, LoadFromResourceRefusesDataBeforeWritingAnything) {
  player.SetDeviceKind(kKindMidi);
  EXPECT_THROW(player.LoadFromResource({}), MyMediaException);
  EXPECT_THROW(player.LoadFromResource(testing::MakeMp3Head()), MyMediaException);
  player.SetDeviceKind(kKindMpp);
  EXPECT_THROW(player.LoadFromResource(testing::MakeMp3Head()), MyMediaException);
  EXPECT_TRUE(temporaryFiles.Files().empty());
  EXPECT_TRUE(audio.OpenClips().empty());
}

TEST_F(MediaPlayerTest, LoopedMp3RestartsOnceAtEachEnd) {
  const Bytes mp3 = testing::MakeMp3Head();
  player.SetDeviceKind(kKindSecond);
  player.LoadFromResource(mp3);
  player.SetLoop(true);
  player.Play();  // default length 1000 ms
  platform.AdvanceBy(1000);  // ended exactly now: restarted
  platform.AdvanceBy(500);
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
  EXPECT_EQ(player.Position(), 500u);
  platform.AdvanceBy(500);
  EXPECT_EQ(LinesWith("audio play").size(), 3u);
}

TEST_F(MediaPlayerTest, CloseWithoutOpenAndStopWhenIdleDoNothing) {
  player.Stop();
  player.Close();
  EXPECT_EQ(player.Position(), 0u);
  EXPECT_EQ(player.Length(), 0u);
  player.Seek(10);
  EXPECT_TRUE(audio.Lines().empty());
  EXPECT_EQ(player.ErrorText(), "Open media failed");
}

TEST_F(MediaPlayerTest, PluginFolderIsTheExecutableFolderWhenAPluginIsThere) {
  EXPECT_EQ(player.PluginFolder(), SystemTempFolder());
  WriteExe("elamp.dll", {1});
  TMyMediaPlayer withPlugin(platform, audio, temporaryFiles, scratch.Exe());
  EXPECT_EQ(withPlugin.PluginFolder(), scratch.Exe() + "/");
}

}  // namespace
}  // namespace kpf::media
