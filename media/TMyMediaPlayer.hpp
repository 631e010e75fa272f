#pragma once
// Plays one media file at a time (MIDI, wave, MP3, tracker modules) on the media channel of the
// sound device, and restarts it when it ends while Loop is set: a loop timer checks for the end
// of the piece once a second on the event-loop thread.
//
// Sounds held in memory are written once to a temporary copy (its path becomes FileName, and
// callers keep it to reuse it), but are played straight from memory. Before the device sees a
// sound, its first bytes must show the kind it claims (a wave is also checked chunk by chunk);
// otherwise Open fails like a failed device open. ITZ and MPP modules have no decoder and fail
// the same way. Playing kinds 4099..4105 is an addition: their plug-ins are not there.
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/TemporaryFile.hpp"
#include "platform/AudioDevice.hpp"
#include "platform/Platform.hpp"
#include "platform/Timer.hpp"

namespace kpf::media {

class MyMediaException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TMyMediaPlayer {
 public:
  static constexpr uint32_t kLoopCheckIntervalMs = 1000;
  // LastError codes (0 = the last command succeeded).
  static constexpr uint32_t kErrorNone = 0;
  static constexpr uint32_t kErrorOpenFailed = 1;
  static constexpr uint32_t kErrorNotOpen = 2;
  static constexpr uint32_t kErrorCommandFailed = 3;

  // PluginFolder starts as `executableFolder` when "npmod32.dll" or "elamp.dll" is there, else
  // the system temporary folder (with a trailing "/").
  TMyMediaPlayer(platform::Platform& platform, platform::AudioDevice& device,
                 package::TTemporaryFile& temporaryFiles, const std::string& executableFolder);
  // Stop, Close.
  ~TMyMediaPlayer();
  TMyMediaPlayer(const TMyMediaPlayer&) = delete;
  TMyMediaPlayer& operator=(const TMyMediaPlayer&) = delete;

  void SetFileName(std::string name);
  const std::string& GetFileName() const { return fileName_; }
  uint32_t LastError() const { return lastError_; }
  uint16_t DeviceKind() const { return deviceKind_; }
  void SetDeviceKind(uint16_t kind) { deviceKind_ = kind; }
  bool Opened() const { return opened_; }
  bool Loop() const { return loop_; }
  void SetLoop(bool loop) { loop_ = loop; }
  const std::string& PluginFolder() const { return pluginFolder_; }
  void SetPluginFolder(std::string folder) { pluginFolder_ = std::move(folder); }

  // Takes the kind from FileName's extension (unless it is already 4104, MP3) and opens the
  // file; throws MyMediaException with ErrorText() when it cannot. Unknown extensions open
  // nothing.
  void Open();
  // Throws "Device not assigned" when the kind is outside 4096..4104; otherwise plays from the
  // current position and arms the loop timer when Loop is set.
  void Play();
  void Stop();
  void Close();
  // Milliseconds where the device knows them, else 0.
  uint32_t Position() const;
  uint32_t Length() const;
  void Seek(uint32_t to);
  // Writes `data` to a new temporary file named for DeviceKind, makes it FileName and opens the
  // sound from `data`, which must outlive the playback. Empty data fails like a failed open.
  void LoadFromResource(std::span<const uint8_t> data);
  // The device's reason for LastError, or "Open media failed".
  std::string ErrorText() const;

  platform::Timer& LoopTimer() { return *loopTimer_; }
  // The device clip of the open sound (0 when none).
  platform::AudioClipId DeviceID() const { return clip_; }

 private:
  void CheckEnd();
  [[noreturn]] void FailOpen(uint32_t code, std::string reason);
  platform::AudioClipId OpenSound(uint16_t kind);

  platform::AudioDevice& device_;
  package::TTemporaryFile& temporaryFiles_;
  std::unique_ptr<platform::Timer> loopTimer_;
  std::string fileName_;
  uint32_t lastError_ = kErrorNone;
  std::string lastErrorText_;
  platform::AudioClipId clip_ = 0;
  bool opened_ = false;
  uint16_t deviceKind_ = 0;
  bool loop_ = false;
  std::string pluginFolder_;
  std::span<const uint8_t> memorySource_;  // LoadFromResource's data, used instead of the file
  std::vector<uint8_t> fileImage_;         // a wave file read for checking, owned while open
};

}  // namespace kpf::media
