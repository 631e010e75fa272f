// The SDL2_mixer device on SDL's disk audio driver (no sound card needed): sounds from memory
// start, come out of the mixer and end, failures go through LastError, and frame sounds reach
// the mixer through the sound dispatch.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <functional>
#include <thread>

#include "media/SoundDispatch.hpp"
#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "platform/sdl/SdlAudioDevice.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::platform::sdl {
namespace {

using media::testing::Bytes;
using media::testing::MakeMidi;
using media::testing::MakeWave;

class SdlAudioDeviceTest : public ::testing::Test {
 protected:
  SdlAudioDeviceTest() {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", (scratch.Root() + "/mixed.raw").c_str(), 1);
  }
  ~SdlAudioDeviceTest() override {
    ::unsetenv("SDL_AUDIODRIVER");
    ::unsetenv("SDL_DISKAUDIOFILE");
  }

  // Polls (real time, bounded) until `done` holds.
  static bool Within(std::chrono::seconds limit, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  static bool NoSoundFont() { return SdlAudioDevice::FindSoundFont().empty(); }

  media::testing::Scratch scratch;
};

TEST_F(SdlAudioDeviceTest, WaveFromMemoryPlaysToItsEndOrLoopsUntilItsChannelStops) {
  const Bytes wave = MakeWave({.channels = 1, .rate = 22050, .bits = 16, .frames = 4410});
  SdlAudioDevice device;
  ASSERT_TRUE(device.Available()) << device.LastError();
  const AudioClipId clip = device.OpenMemory(wave, AudioKind::Wave, AudioChannel::Wave, "tone");
  ASSERT_NE(clip, 0u) << device.LastError();
  EXPECT_EQ(device.LengthMs(clip), 200u);
  const uint64_t before = device.AudibleFrames();
  ASSERT_TRUE(device.Play(clip, false)) << device.LastError();
  EXPECT_TRUE(device.IsPlaying(clip));
  ASSERT_TRUE(Within(std::chrono::seconds(10), [&] { return !device.IsPlaying(clip); }));
  EXPECT_GT(device.AudibleFrames(), before);
  EXPECT_EQ(device.PositionMs(clip), device.LengthMs(clip));
  device.Close(clip);
  EXPECT_FALSE(device.IsPlaying(clip));

  const Bytes shortWave = MakeWave({.channels = 2, .rate = 44100, .bits = 16, .frames = 441});
  const AudioClipId loop = device.OpenMemory(shortWave, AudioKind::Wave, AudioChannel::Wave, "loop");
  ASSERT_TRUE(device.Play(loop, true)) << device.LastError();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // several times its 10 ms
  EXPECT_TRUE(device.IsPlaying(loop));
  device.StopChannel(AudioChannel::Wave);
  EXPECT_FALSE(device.IsPlaying(loop));
}

// A new music clip takes the one stream: the old one is stopped, not ended.
TEST_F(SdlAudioDeviceTest, MidiFromMemoryPlaysToItsEndAndAgainWhenRewoundTakingTheStreamFromAnother) {
  if (NoSoundFont()) GTEST_SKIP() << "no sound font in /usr/share/sounds/sf2 or sf3: MIDI playback not checked";
  const Bytes midi = MakeMidi(48), longer = MakeMidi(960);  // 250 ms and 5 s
  SdlAudioDevice device;
  const AudioClipId clip = device.OpenMemory(midi, AudioKind::Midi, AudioChannel::Media, "tune");
  ASSERT_NE(clip, 0u) << device.LastError();
  const uint64_t before = device.AudibleFrames();
  ASSERT_TRUE(device.Play(clip, false)) << device.LastError();
  ASSERT_TRUE(Within(std::chrono::seconds(20), [&] { return !device.IsPlaying(clip); }));
  EXPECT_GT(device.AudibleFrames(), before);
  ASSERT_TRUE(device.LengthMs(clip).has_value());
  EXPECT_EQ(device.PositionMs(clip), device.LengthMs(clip));
  EXPECT_TRUE(device.Seek(clip, 0));
  const AudioClipId earlier = device.OpenMemory(longer, AudioKind::Midi, AudioChannel::Media, "earlier");
  ASSERT_TRUE(device.Play(earlier, false));
  EXPECT_TRUE(device.Play(clip, false));  // rewound: it plays again
  EXPECT_TRUE(device.IsPlaying(clip));
  EXPECT_FALSE(device.IsPlaying(earlier));
  EXPECT_NE(device.PositionMs(earlier), device.LengthMs(earlier));
}

TEST_F(SdlAudioDeviceTest, UndecodableDataAndMissingFilesFailThroughLastError) {
  SdlAudioDevice device;
  ASSERT_TRUE(device.Available()) << device.LastError();
  const Bytes garbage = media::testing::Garbage(4000);
  // (MP3 decoders resynchronise through anything: the media layer checks MP3 data first.)
  for (AudioKind kind : {AudioKind::Wave, AudioKind::Midi}) {
    EXPECT_EQ(device.OpenMemory(garbage, kind, AudioChannel::Media, "garbage"), 0u) << static_cast<int>(kind);
    EXPECT_FALSE(device.LastError().empty());
  }
  EXPECT_EQ(device.OpenMemory({}, AudioKind::Wave, AudioChannel::Wave, "empty"), 0u);
  EXPECT_EQ(device.OpenFile(scratch.Root() + "/missing.mid", AudioKind::Midi, AudioChannel::Media), 0u);
  EXPECT_FALSE(device.Play(12345, false));
  EXPECT_FALSE(device.IsPlaying(12345));
  EXPECT_EQ(device.PositionMs(12345), std::nullopt);
  device.Stop(12345);
  device.Close(12345);
}

TEST_F(SdlAudioDeviceTest, MissingSoundFontFailsTheMidiOpen) {
  ::setenv("TIMIDITY_CFG", (scratch.Root() + "/none.cfg").c_str(), 1);
  SdlAudioDevice device(SdlAudioOptions{.soundFonts = scratch.Root() + "/none.sf2"});
  const Bytes midi = MakeMidi();
  const AudioClipId clip = device.OpenMemory(midi, AudioKind::Midi, AudioChannel::Media, "tune");
  ::unsetenv("TIMIDITY_CFG");
  EXPECT_EQ(clip, 0u);
  EXPECT_FALSE(device.LastError().empty());
}

TEST_F(SdlAudioDeviceTest, WithoutADriverOrWithTheMixerTakenEveryRequestFails) {
  {
    SdlAudioDevice first;
    ASSERT_TRUE(first.Available()) << first.LastError();
    SdlAudioDevice second;
    EXPECT_FALSE(second.Available());
    EXPECT_EQ(second.LastError(), "The sound device is in use");
  }
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlAudioDevice device;
  EXPECT_FALSE(device.Available());
  EXPECT_FALSE(device.LastError().empty());
  const Bytes wave = MakeWave();
  EXPECT_EQ(device.OpenMemory(wave, AudioKind::Wave, AudioChannel::Wave, "tone"), 0u);
  EXPECT_FALSE(device.Play(1, false));
  device.StopChannel(AudioChannel::Wave);
}

// Frame sounds held in memory, played through the sound dispatch on this device.
class SdlSoundDispatchTest : public SdlAudioDeviceTest {
 protected:
  SdlSoundDispatchTest() { settings.WriteSetting("TemporaryFolder", scratch.Tmp()); }

  // Plays `data` as sound 0 in mode 1 and tells whether the mixer put out sound afterwards.
  bool PlayAndHear(const std::string& name, uint16_t kind, const Bytes& data) {
    const uint64_t before = device.AudibleFrames();
    sounds.PlaySound(0, Sound(name, kind, data), 1);
    return Within(std::chrono::seconds(20), [&] { return device.AudibleFrames() != before; });
  }
  static project::TTaviSound Sound(const std::string& name, uint16_t kind, const Bytes& data) {
    project::TTaviSound sound;
    sound.Name = name;
    sound.Kind = kind;
    sound.Size = static_cast<int32_t>(data.size());
    sound.Data = data;
    return sound;
  }

  headless::HeadlessPlatform desktop;
  package::SettingsKey settings{scratch.Settings(), [](const std::string&) {}};
  package::TTemporaryFile temporaryFiles{settings, [](const std::string&) {}};
  SdlAudioDevice device;
  media::SoundDispatch sounds{desktop, device, temporaryFiles, {scratch.Exe(), {}, {}}};
};

TEST_F(SdlSoundDispatchTest, WaveSoundFromMemoryIsHeard) {
  ASSERT_TRUE(device.Available()) << device.LastError();
  EXPECT_TRUE(PlayAndHear("tone.wav", 101, MakeWave({.channels = 1, .rate = 22050, .bits = 16, .frames = 2205})));
  ASSERT_NE(sounds.WavePlayer(), nullptr);
  EXPECT_NE(sounds.WavePlayer()->Clip(), 0u);
}

TEST_F(SdlSoundDispatchTest, MidiSoundFromMemoryIsHeardAndItsCopyWritten) {
  if (NoSoundFont()) GTEST_SKIP() << "no sound font installed: MIDI not checked";
  EXPECT_TRUE(PlayAndHear("tune.mid", 100, MakeMidi(48)));
  ASSERT_NE(sounds.MediaPlayer(), nullptr);
  EXPECT_TRUE(sounds.MediaPlayer()->Opened()) << sounds.MediaPlayer()->ErrorText();
  EXPECT_FALSE(sounds.TempFileName(0).empty());
}

}  // namespace
}  // namespace kpf::platform::sdl
