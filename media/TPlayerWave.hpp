#pragma once
// Plays one wave sound through the simple sound call: from a file, from a named resource, or
// from a complete wave image in memory; once or looped; synchronously or in the background.
//
// The wave channel holds one sound for the whole process: a later Play of any wave player
// replaces the sound being played, and Stop silences the channel whoever started it. A wave in
// memory is played with its size: its RIFF chunks are checked against WaveData's extent before
// the device sees it, and the bytes are handed over without a copy (WaveData must outlive the
// playback, as the memory stays the caller's).
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/AudioDevice.hpp"

namespace kpf::media {

enum class TWhereWave : uint8_t { wwInFile = 0, wwInResource = 1, wwInRAM = 2 };

class TPlayerWave {
 public:
  // Finds a resource by name: the bytes stay owned by whoever holds them.
  using ResourceLookup = std::function<std::optional<std::span<const uint8_t>>(const std::string& name)>;
  // Waits that long while a synchronous sound plays (real time by default).
  using Waiter = std::function<void(uint32_t milliseconds)>;

  static constexpr uint32_t kSyncPollMs = 10;

  explicit TPlayerWave(platform::AudioDevice& device);
  // Closes this player's sound (silencing it if it still plays: its memory may go next).
  ~TPlayerWave();
  TPlayerWave(const TPlayerWave&) = delete;
  TPlayerWave& operator=(const TPlayerWave&) = delete;

  // Published properties.
  std::string WaveName;
  TWhereWave WhereWave = TWhereWave::wwInFile;
  bool Loop = false;
  bool Async = false;
  // The complete wave file image used with wwInRAM.
  std::span<const uint8_t> WaveData;

  void SetResourceLookup(ResourceLookup lookup) { resources_ = std::move(lookup); }
  void SetWaiter(Waiter waiter) { waiter_ = std::move(waiter); }

  // Starts the sound; true when it plays. Anything unplayable (missing or unreadable file,
  // unknown resource, malformed wave, no device) gives false and raises nothing. Without Async
  // it returns when the sound has ended; a looped sound always plays in the background.
  bool Play();
  // Silences the wave channel, whatever player started its sound.
  void Stop();

  // The device clip of the last sound started (0 when none).
  platform::AudioClipId Clip() const { return clip_; }

 private:
  std::optional<std::span<const uint8_t>> Source();
  void CloseClip();
  std::string Label() const;

  platform::AudioDevice& device_;
  ResourceLookup resources_;
  Waiter waiter_;
  std::vector<uint8_t> fileImage_;  // wwInFile: the file read once, owned while it plays
  platform::AudioClipId clip_ = 0;
};

}  // namespace kpf::media
