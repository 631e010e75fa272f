// Frame sounds through the sound dispatch on the SDL2_mixer device (disk driver): a wave and a
// MIDI sound held in memory reach the mixer output; a malformed wave never reaches the mixer.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
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

class SdlSoundDispatchTest : public ::testing::Test {
 protected:
  SdlSoundDispatchTest() {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", (scratch.Root() + "/mixed.raw").c_str(), 1);
    settings.WriteSetting("TemporaryFolder", scratch.Tmp());
  }
  ~SdlSoundDispatchTest() override {
    ::unsetenv("SDL_AUDIODRIVER");
    ::unsetenv("SDL_DISKAUDIOFILE");
  }

  static project::TTaviSound Sound(const std::string& name, uint16_t kind, const Bytes& data) {
    project::TTaviSound sound;
    sound.Name = name;
    sound.Kind = kind;
    sound.Size = static_cast<int32_t>(data.size());
    sound.Data = data;
    return sound;
  }
  // Waits (real time, bounded) until the mixer has put out sound beyond `before`.
  bool HeardAfter(uint64_t before) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (device.AudibleFrames() == before) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  media::testing::Scratch scratch;
  headless::HeadlessPlatform desktop;
  package::SettingsKey settings{scratch.Settings(), [](const std::string&) {}};
  package::TTemporaryFile temporaryFiles{settings, [](const std::string&) {}};
  SdlAudioDevice device;
};

TEST_F(SdlSoundDispatchTest, WaveSoundFromMemoryIsHeard) {
  ASSERT_TRUE(device.Available()) << device.LastError();
  const Bytes wave = media::testing::MakeWave({.channels = 1, .rate = 22050, .bits = 16, .frames = 2205});
  media::SoundDispatch sounds(desktop, device, temporaryFiles, {scratch.Exe(), {}, {}});
  const uint64_t before = device.AudibleFrames();
  sounds.PlaySound(0, Sound("tone.wav", 101, wave), 1);
  ASSERT_NE(sounds.WavePlayer(), nullptr);
  EXPECT_TRUE(device.IsPlaying(sounds.WavePlayer()->Clip()));
  EXPECT_TRUE(HeardAfter(before));
}

TEST_F(SdlSoundDispatchTest, MidiSoundFromMemoryIsHeardAndItsCopyWritten) {
  if (SdlAudioDevice::FindSoundFont().empty()) GTEST_SKIP() << "no sound font installed: MIDI not checked";
  const Bytes midi = media::testing::MakeMidi(48);
  media::SoundDispatch sounds(desktop, device, temporaryFiles, {scratch.Exe(), {}, {}});
  const uint64_t before = device.AudibleFrames();
  sounds.PlaySound(0, Sound("tune.mid", 100, midi), 1);
  ASSERT_NE(sounds.MediaPlayer(), nullptr);
  EXPECT_TRUE(sounds.MediaPlayer()->Opened()) << sounds.MediaPlayer()->ErrorText();
  EXPECT_FALSE(sounds.TempFileName(0).empty());
  EXPECT_TRUE(HeardAfter(before));
}

TEST_F(SdlSoundDispatchTest, MalformedWaveNeverReachesTheMixer) {
  Bytes wave = media::testing::MakeWave();
  media::testing::PatchLe32(wave, 40, 0x7FFFFFFF);  // data chunk claims far more than the sound has
  media::SoundDispatch sounds(desktop, device, temporaryFiles, {scratch.Exe(), {}, {}});
  sounds.PlaySound(0, Sound("bad.wav", 101, wave), 1);
  ASSERT_NE(sounds.WavePlayer(), nullptr);
  EXPECT_EQ(sounds.WavePlayer()->Clip(), 0u);
}

}  // namespace
}  // namespace kpf::platform::sdl
