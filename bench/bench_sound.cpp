// Latency of a sound request. BM_DispatchWaveRequest: the player's side of a frame's wave sound
// (dispatch, RIFF check, device open and play) on the recording device, CPU only.
// BM_SdlPlayToMixer: from Play on the SDL2_mixer device (dummy driver, no sound card) until its
// post-mix hook has seen audible samples of that sound, for two mixing block sizes.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "media/SoundDispatch.hpp"
#include "package/SettingsKey.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/headless/HeadlessAudio.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "platform/sdl/SdlAudioDevice.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace {

using namespace kpf;

void BM_DispatchWaveRequest(benchmark::State& state) {
  media::testing::Scratch scratch;
  platform::headless::HeadlessPlatform desktop;
  platform::headless::HeadlessAudio audio([&] { return desktop.NowMs(); });
  package::SettingsKey settings(scratch.Settings(), [](const std::string&) {});
  settings.WriteSetting("TemporaryFolder", scratch.Tmp());
  package::TTemporaryFile temporaryFiles(settings, [](const std::string&) {});
  media::SoundDispatch sounds(desktop, audio, temporaryFiles, {scratch.Exe(), {}, {}});
  const auto wave = media::testing::MakeWave({.channels = 2, .rate = 44100, .bits = 16, .frames = 44100});
  project::TTaviSound sound;
  sound.Name = "tone.wav";
  sound.Kind = 101;
  sound.Size = static_cast<int32_t>(wave.size());
  sound.Data = wave;
  for (auto _ : state) {
    sounds.PlaySound(0, sound, 1);
    audio.ClearLines();
  }
}
BENCHMARK(BM_DispatchWaveRequest)->Unit(benchmark::kMicrosecond);

void BM_SdlPlayToMixer(benchmark::State& state) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::sdl::SdlAudioOptions options;
  options.chunkFrames = static_cast<int>(state.range(0));
  platform::sdl::SdlAudioDevice device(options);
  if (!device.Available()) {
    state.SkipWithError(device.LastError().c_str());
    return;
  }
  const auto wave = media::testing::MakeWave({.channels = 2, .rate = 44100, .bits = 16, .frames = 4410});
  const auto clip = device.OpenMemory(wave, platform::AudioKind::Wave, platform::AudioChannel::Wave, "tone");
  for (auto _ : state) {
    const uint64_t before = device.AudibleFrames();
    const auto start = std::chrono::steady_clock::now();
    device.Play(clip, false);
    while (device.AudibleFrames() == before) std::this_thread::yield();
    const auto heard = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
    device.Stop(clip);
    std::this_thread::sleep_for(std::chrono::milliseconds(3));  // decorrelate from the mixer's beat
  }
  ::unsetenv("SDL_AUDIODRIVER");
}
BENCHMARK(BM_SdlPlayToMixer)->Arg(512)->Arg(1024)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

BENCHMARK_MAIN();
