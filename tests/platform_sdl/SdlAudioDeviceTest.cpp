// The SDL2_mixer device on SDL's disk audio driver: sounds from memory start, come out of the
// mixer and end; failures go through LastError.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/sdl/SdlAudioDevice.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::platform::sdl {
namespace {

using media::testing::Bytes;

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

  // Waits (real time, bounded) until the clip has stopped playing.
  static bool WaitForEnd(SdlAudioDevice& device, AudioClipId clip, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (device.IsPlaying(clip)) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
  }

  media::testing::Scratch scratch;
};

TEST_F(SdlAudioDeviceTest, WaveFromMemoryPlaysToItsEnd) {
  const Bytes wave = media::testing::MakeWave({.channels = 1, .rate = 22050, .bits = 16, .frames = 4410});
  SdlAudioDevice device;
  ASSERT_TRUE(device.Available()) << device.LastError();
  const AudioClipId clip = device.OpenMemory(wave, AudioKind::Wave, AudioChannel::Wave, "tone");
  ASSERT_NE(clip, 0u) << device.LastError();
  EXPECT_EQ(device.LengthMs(clip), 200u);
  const uint64_t before = device.AudibleFrames();
  ASSERT_TRUE(device.Play(clip, false)) << device.LastError();
  EXPECT_TRUE(device.IsPlaying(clip));
  ASSERT_TRUE(WaitForEnd(device, clip, std::chrono::seconds(10)));
  EXPECT_GT(device.AudibleFrames(), before);
  EXPECT_EQ(device.PositionMs(clip), device.LengthMs(clip));
  device.Close(clip);
  EXPECT_FALSE(device.IsPlaying(clip));
}

TEST_F(SdlAudioDeviceTest, LoopedWaveKeepsPlayingUntilItsChannelStops) {
  const Bytes wave = media::testing::MakeWave({.channels = 2, .rate = 44100, .bits = 16, .frames = 441});
  SdlAudioDevice device;
  const AudioClipId clip = device.OpenMemory(wave, AudioKind::Wave, AudioChannel::Wave, "loop");
  ASSERT_NE(clip, 0u) << device.LastError();
  ASSERT_TRUE(device.Play(clip, true));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // several times its 10 ms
  EXPECT_TRUE(device.IsPlaying(clip));
  device.StopChannel(AudioChannel::Wave);
  EXPECT_FALSE(device.IsPlaying(clip));
}

TEST_F(SdlAudioDeviceTest, MidiFromMemoryPlaysToItsEndWithASoundFont) {
  if (SdlAudioDevice::FindSoundFont().empty())
    GTEST_SKIP() << "no sound font in /usr/share/sounds/sf2 or sf3: MIDI playback not checked";
  const Bytes midi = media::testing::MakeMidi(48);  // 250 ms
  SdlAudioDevice device;
  const AudioClipId clip = device.OpenMemory(midi, AudioKind::Midi, AudioChannel::Media, "tune");
  ASSERT_NE(clip, 0u) << device.LastError();
  const uint64_t before = device.AudibleFrames();
  ASSERT_TRUE(device.Play(clip, false)) << device.LastError();
  ASSERT_TRUE(WaitForEnd(device, clip, std::chrono::seconds(20)));
  EXPECT_GT(device.AudibleFrames(), before);
  const auto length = device.LengthMs(clip);
  ASSERT_TRUE(length.has_value());
  EXPECT_EQ(device.PositionMs(clip), length);
  // Rewound, it plays again.
  EXPECT_TRUE(device.Seek(clip, 0));
  EXPECT_TRUE(device.Play(clip, false));
  EXPECT_TRUE(device.IsPlaying(clip));
}

TEST_F(SdlAudioDeviceTest, ANewMusicClipTakesTheStreamAndTheOldOneIsStoppedNotEnded) {
  if (SdlAudioDevice::FindSoundFont().empty()) GTEST_SKIP() << "no sound font installed";
  const Bytes first = media::testing::MakeMidi(960);
  const Bytes second = media::testing::MakeMidi(960);
  SdlAudioDevice device;
  const AudioClipId a = device.OpenMemory(first, AudioKind::Midi, AudioChannel::Media, "a");
  const AudioClipId b = device.OpenMemory(second, AudioKind::Midi, AudioChannel::Media, "b");
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  ASSERT_TRUE(device.Play(a, false));
  ASSERT_TRUE(device.Play(b, false));
  EXPECT_FALSE(device.IsPlaying(a));
  EXPECT_TRUE(device.IsPlaying(b));
  EXPECT_NE(device.PositionMs(a), device.LengthMs(a));
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
  const Bytes midi = media::testing::MakeMidi();
  const AudioClipId clip = device.OpenMemory(midi, AudioKind::Midi, AudioChannel::Media, "tune");
  ::unsetenv("TIMIDITY_CFG");
  EXPECT_EQ(clip, 0u);
  EXPECT_FALSE(device.LastError().empty());
}

TEST_F(SdlAudioDeviceTest, WithoutADriverEveryRequestFails) {
  ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SdlAudioDevice device;
  EXPECT_FALSE(device.Available());
  EXPECT_FALSE(device.LastError().empty());
  const Bytes wave = media::testing::MakeWave();
  EXPECT_EQ(device.OpenMemory(wave, AudioKind::Wave, AudioChannel::Wave, "tone"), 0u);
  EXPECT_FALSE(device.Play(1, false));
  device.StopChannel(AudioChannel::Wave);
}

TEST_F(SdlAudioDeviceTest, OnlyOneDeviceHoldsTheMixer) {
  SdlAudioDevice first;
  ASSERT_TRUE(first.Available()) << first.LastError();
  SdlAudioDevice second;
  EXPECT_FALSE(second.Available());
  EXPECT_EQ(second.LastError(), "The sound device is in use");
}

}  // namespace
}  // namespace kpf::platform::sdl
