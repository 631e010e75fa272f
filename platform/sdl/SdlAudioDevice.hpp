#pragma once
// The sound device on SDL2_mixer. The mixer is opened on the first request (or Available());
// when it cannot be opened (no driver, no sound card) the device stays unavailable and every
// request fails through LastError without touching SDL again.
//
// Wave-kind clips are decoded into mixer chunks: the wave channel is the reserved mixer channel
// 0, media waves take any other channel. MIDI, MP3 and tracker modules stream through SDL's one
// music stream: a music clip that starts takes the stream from the one playing there, which
// then reports itself stopped where it was (not ended). MIDI uses the sound font given in the
// options, else the first one found in /usr/share/sounds/sf2 or sf3 (TimGM6mb preferred); with
// none, opening MIDI fails like any other undecodable sound.
//
// SDL audio is process-wide: while one device has the mixer open, another reports itself
// unavailable.
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/AudioDevice.hpp"

struct Mix_Chunk;
typedef struct _Mix_Music Mix_Music;

namespace kpf::platform::sdl {

struct SdlAudioOptions {
  std::string soundFonts;  // ";"-separated sound fonts for MIDI; "" chooses one (FindSoundFont)
  int frequency = 44100;
  int chunkFrames = 512;  // frames per mix: the delay between a request and the mixer output
  int mixChannels = 8;
};

class SdlAudioDevice : public platform::AudioDevice {
 public:
  explicit SdlAudioDevice(SdlAudioOptions options = {});
  ~SdlAudioDevice() override;
  SdlAudioDevice(const SdlAudioDevice&) = delete;
  SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

  // Opens the mixer when that has not been tried yet; true when it is open.
  bool Available();

  platform::AudioClipId OpenMemory(std::span<const uint8_t> data, platform::AudioKind kind,
                                   platform::AudioChannel channel, std::string_view name) override;
  platform::AudioClipId OpenFile(const std::string& path, platform::AudioKind kind,
                                 platform::AudioChannel channel) override;
  bool Play(platform::AudioClipId clip, bool loop) override;
  void Stop(platform::AudioClipId clip) override;
  void StopChannel(platform::AudioChannel channel) override;
  void Close(platform::AudioClipId clip) override;
  bool Seek(platform::AudioClipId clip, uint32_t milliseconds) override;
  bool IsPlaying(platform::AudioClipId clip) const override;
  std::optional<uint32_t> PositionMs(platform::AudioClipId clip) const override;
  std::optional<uint32_t> LengthMs(platform::AudioClipId clip) const override;
  std::string LastError() const override { return lastError_; }

  // Sample frames with a non-zero sample that the mixer has produced so far (counted by a
  // post-mix hook on the audio thread): tells that sound really came out.
  uint64_t AudibleFrames() const { return meter_->audibleFrames.load(); }
  // The sound font chosen when the options name none ("" when none is installed).
  static std::string FindSoundFont();

 private:
  struct Clip;
  struct Meter {
    std::atomic<uint64_t> audibleFrames{0};
    int bytesPerFrame = 4;
  };

  platform::AudioClipId Load(void* rw, platform::AudioKind kind, platform::AudioChannel channel,
                             const std::string& name);
  Clip* Find(platform::AudioClipId clip) const;
  // Brings the clip's state up to date with the mixer (end reached, stream taken over).
  void Refresh(Clip& clip) const;
  uint32_t ElapsedPosition(const Clip& clip) const;
  void Halt(Clip& clip);
  bool Fail(std::string reason);
  platform::AudioClipId FailOpen(std::string reason);
  static void PostMix(void* meter, uint8_t* stream, int length);

  SdlAudioOptions options_;
  std::optional<bool> open_;  // empty until the first attempt
  int bytesPerSecond_ = 0;
  std::unique_ptr<Meter> meter_ = std::make_unique<Meter>();
  mutable std::map<platform::AudioClipId, std::unique_ptr<Clip>> clips_;
  platform::AudioClipId nextId_ = 1;
  mutable platform::AudioClipId musicOwner_ = 0;
  std::string lastError_;
};

}  // namespace kpf::platform::sdl
