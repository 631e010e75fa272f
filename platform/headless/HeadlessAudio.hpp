#pragma once
// A sound output that plays nothing: every request becomes one text line for the trace, and
// clips "play" on a clock the caller supplies (the headless virtual clock), so end-of-piece
// checks and loops can be tested deterministically.
//
// Lines (clip ids count from 1):
//   "audio open <id>: <name> (<kind>, <channel>, memory <n> bytes|file)"
//   "audio open failed: <name>: <reason>"
//   "audio play <id>: <name> loop=<0|1>"      "audio stop <id>: <name>"
//   "audio seek <id>: <ms>"                    "audio close <id>: <name>"
//   "audio stop channel: <wave|media>"
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/AudioDevice.hpp"

namespace kpf::platform::headless {

struct HeadlessClip {
  platform::AudioClipId id = 0;
  std::string name;
  platform::AudioKind kind = platform::AudioKind::Wave;
  platform::AudioChannel channel = platform::AudioChannel::Media;
  bool fromFile = false;
  std::span<const uint8_t> data;  // the caller's bytes, as given (memory clips)
  uint32_t lengthMs = 0;
  // Playback on the clock.
  bool playing = false;
  bool loop = false;
  int64_t startedAt = 0;
  uint32_t startPosition = 0;
  uint32_t stoppedPosition = 0;
};

class HeadlessAudio : public platform::AudioDevice {
 public:
  using Recorder = std::function<void(std::string)>;
  using Clock = std::function<int64_t()>;

  // Length of clips whose length is not set otherwise (waves get theirs from their header).
  static constexpr uint32_t kDefaultLengthMs = 1000;

  explicit HeadlessAudio(Clock clock, Recorder recorder = {});

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

  // Simulation settings.
  void SetLengthFor(const std::string& name, uint32_t milliseconds) { lengths_[name] = milliseconds; }
  // Opens of this kind fail as if no decoder were there.
  void SetUnsupported(platform::AudioKind kind) { unsupported_.insert(kind); }

  // Inspection.
  const std::vector<std::string>& Lines() const { return lines_; }
  void ClearLines() { lines_.clear(); }
  const HeadlessClip* Clip(platform::AudioClipId clip) const;
  std::vector<const HeadlessClip*> OpenClips() const;

  static const char* KindName(platform::AudioKind kind);
  static const char* ChannelName(platform::AudioChannel channel);

 private:
  platform::AudioClipId Add(HeadlessClip clip, const std::string& source);
  // Records a failed open; returns the "no clip" id.
  platform::AudioClipId Fail(const std::string& name, const std::string& reason);
  uint32_t LengthOf(const HeadlessClip& clip) const;
  uint32_t CurrentPosition(const HeadlessClip& clip) const;
  void Halt(HeadlessClip& clip);
  HeadlessClip* Find(platform::AudioClipId clip);
  void Record(std::string line);

  Clock clock_;
  Recorder recorder_;
  std::map<platform::AudioClipId, HeadlessClip> clips_;
  platform::AudioClipId nextId_ = 1;
  std::map<std::string, uint32_t> lengths_;
  std::set<platform::AudioKind> unsupported_;
  std::vector<std::string> lines_;
  std::string lastError_;
};

}  // namespace kpf::platform::headless
