#pragma once
// Where a player's frame sounds go: two media players (the foreground MediaPlayer and the
// looping BackgroundPlayer) and two wave players (WavePlayer and the looping BackgroundWave),
// each made on first use, chosen by the sound's type and the requested play mode:
//   mode 1, 2: play once; mode 3: play looped; mode 4: start the background channel (wave or
//   media by type), which loops until StopSounds; later mode-4 requests change nothing.
// Muting is the caller's business. Any sound that cannot be played (missing or unreadable file,
// data that is not what its type says, empty data, no decoder, no device) is skipped quietly.
//
// The engine adapts this to its sound output in a few lines: PlaySound(soundIndex, sound, mode)
// and StopSounds() have the same shape.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/TMyMediaPlayer.hpp"
#include "media/TPlayerWave.hpp"
#include "package/TemporaryFile.hpp"
#include "platform/AudioDevice.hpp"
#include "platform/Platform.hpp"
#include "project/ProjectRecords.hpp"

namespace kpf::media {

struct SoundDispatchSettings {
  // Folder of the running executable: sound files are looked up there (and never above it).
  std::string executableFolder;
  // Command-line arguments after the program name.
  std::vector<std::string> arguments;
  // Plug-in folder the engine was given for a ".tmp" first argument ("" when none).
  std::string enginePluginFolder;
};

class SoundDispatch {
 public:
  SoundDispatch(platform::Platform& platform, platform::AudioDevice& device,
                package::TTemporaryFile& temporaryFiles, SoundDispatchSettings settings);
  // StopSounds.
  ~SoundDispatch();
  SoundDispatch(const SoundDispatch&) = delete;
  SoundDispatch& operator=(const SoundDispatch&) = delete;

  // Plays project sound `soundIndex` (described by `sound`, whose Data must outlive the
  // playback) with play mode `mode`.
  void PlaySound(int soundIndex, const project::TTaviSound& sound, int mode);
  // Stops and frees the wave player, the media player, the background wave and the background
  // player, in that order.
  void StopSounds();

  // The temporary copy written for sound `soundIndex`, reused by later plays; "" when none.
  std::string TempFileName(int soundIndex) const;

  TMyMediaPlayer* MediaPlayer() const { return mediaPlayer_.get(); }
  TMyMediaPlayer* BackgroundPlayer() const { return backgroundPlayer_.get(); }
  TPlayerWave* WavePlayer() const { return wavePlayer_.get(); }
  TPlayerWave* BackgroundWave() const { return backgroundWave_.get(); }

 private:
  std::unique_ptr<TMyMediaPlayer> NewMediaPlayer() const;
  std::unique_ptr<TPlayerWave> NewWavePlayer(bool loop) const;
  // The folder after "-dll" in the second argument, when that argument starts with it.
  std::optional<std::string> DllArgumentFolder() const;
  void PlayMedia(int soundIndex, const project::TTaviSound& sound, int mode);
  void PlayWave(const project::TTaviSound& sound, int mode);
  void PlayRecord(TMyMediaPlayer& player, int soundIndex, const project::TTaviSound& sound, int mode);
  // The file to open instead of the sound's data, "" when none.
  std::string ExistingSoundFile(int soundIndex, const project::TTaviSound& sound) const;

  platform::Platform& platform_;
  platform::AudioDevice& device_;
  package::TTemporaryFile& temporaryFiles_;
  SoundDispatchSettings settings_;
  std::unique_ptr<TMyMediaPlayer> mediaPlayer_;
  std::unique_ptr<TMyMediaPlayer> backgroundPlayer_;
  std::unique_ptr<TPlayerWave> wavePlayer_;
  std::unique_ptr<TPlayerWave> backgroundWave_;
  std::map<int, std::string> tempFiles_;
};

// The bytes of a sound: its Data cut to Size; empty when Size is not positive or exceeds Data.
std::span<const uint8_t> SoundBytes(const project::TTaviSound& sound);

}  // namespace kpf::media
