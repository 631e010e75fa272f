#pragma once
// The sound output of the porting interface: decoded playback of whole sound files held in
// memory or named by path. The media layer checks the data before it gets here; a backend only
// decodes and plays. All members are called on the event-loop thread.
//
// Two channels:
//  - Wave: the simple sound call. It holds one sound at a time for the whole process: playing a
//    clip there replaces whatever the wave channel played, and StopChannel(Wave) silences it.
//  - Media: independent clips (as many as the backend can play at once; a backend with a single
//    music stream lets the newest music clip take it over, and the clip it displaced reports
//    itself stopped where it was, not ended).
//
// Failures never throw: a failed request returns 0 / false and leaves its reason in LastError().
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kpf::platform {

enum class AudioKind { Wave, Midi, Mp3, Module };
enum class AudioChannel { Wave, Media };

// Names one opened clip; 0 names none.
using AudioClipId = uint32_t;

class AudioDevice {
 public:
  virtual ~AudioDevice() = default;

  // Opens a clip from a complete file image in memory. The bytes are not copied by the caller's
  // side: they must stay valid and unchanged until Close (a backend may stream from them).
  // `name` only labels the clip in traces and errors.
  virtual AudioClipId OpenMemory(std::span<const uint8_t> data, AudioKind kind, AudioChannel channel,
                                 std::string_view name) = 0;
  virtual AudioClipId OpenFile(const std::string& path, AudioKind kind, AudioChannel channel) = 0;

  // Plays from the current position (from the start when the clip is at its end). `loop` repeats
  // the clip until stopped; only the wave channel is asked to loop (media loops are restarted by
  // their player).
  virtual bool Play(AudioClipId clip, bool loop) = 0;
  // Stops the clip and keeps its position.
  virtual void Stop(AudioClipId clip) = 0;
  // Stops whatever plays on the channel.
  virtual void StopChannel(AudioChannel channel) = 0;
  // Stops and forgets the clip; unknown ids are ignored.
  virtual void Close(AudioClipId clip) = 0;
  // Moves the position; a playing clip goes on from there.
  virtual bool Seek(AudioClipId clip, uint32_t milliseconds) = 0;

  virtual bool IsPlaying(AudioClipId clip) const = 0;
  // Milliseconds where known. A clip that played to its end reports a position equal to its
  // length.
  virtual std::optional<uint32_t> PositionMs(AudioClipId clip) const = 0;
  virtual std::optional<uint32_t> LengthMs(AudioClipId clip) const = 0;

  // The reason of the last failed request ("" when none failed yet).
  virtual std::string LastError() const = 0;
};

}  // namespace kpf::platform
