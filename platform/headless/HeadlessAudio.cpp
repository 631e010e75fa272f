#include "platform/headless/HeadlessAudio.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <utility>

namespace kpf::platform::headless {
namespace {

uint32_t ReadLe32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

// Length of a plain RIFF wave whose "fmt " chunk comes first and "data" second (the form the
// tests build); anything else is left to the configured lengths.
std::optional<uint32_t> WaveLength(std::span<const uint8_t> data) {
  constexpr size_t kFmtAt = 12;
  if (data.size() < 44 || ReadLe32(data, kFmtAt) != 0x20746d66u) return std::nullopt;  // "fmt "
  const uint32_t fmtSize = ReadLe32(data, kFmtAt + 4);
  const uint32_t bytesPerSecond = ReadLe32(data, kFmtAt + 8 + 8);
  const size_t dataAt = kFmtAt + 8 + fmtSize + (fmtSize & 1u);
  if (bytesPerSecond == 0 || dataAt + 8 > data.size() || ReadLe32(data, dataAt) != 0x61746164u)  // "data"
    return std::nullopt;
  const uint64_t dataSize = std::min<uint64_t>(ReadLe32(data, dataAt + 4), data.size() - dataAt - 8);
  return static_cast<uint32_t>(dataSize * 1000 / bytesPerSecond);
}

}  // namespace

HeadlessAudio::HeadlessAudio(Clock clock, Recorder recorder)
    : clock_(std::move(clock)), recorder_(std::move(recorder)) {}

const char* HeadlessAudio::KindName(platform::AudioKind kind) {
  switch (kind) {
    case platform::AudioKind::Wave: return "wave";
    case platform::AudioKind::Midi: return "midi";
    case platform::AudioKind::Mp3: return "mp3";
    case platform::AudioKind::Module: return "module";
  }
  return "?";
}

const char* HeadlessAudio::ChannelName(platform::AudioChannel channel) {
  return channel == platform::AudioChannel::Wave ? "wave" : "media";
}

platform::AudioClipId HeadlessAudio::OpenMemory(std::span<const uint8_t> data, platform::AudioKind kind,
                                                platform::AudioChannel channel, std::string_view name) {
  if (data.empty()) return Fail(std::string(name), "no data");
  HeadlessClip clip;
  clip.name = name;
  clip.kind = kind;
  clip.channel = channel;
  clip.data = data;
  return Add(std::move(clip), "memory " + std::to_string(data.size()) + " bytes");
}

platform::AudioClipId HeadlessAudio::OpenFile(const std::string& path, platform::AudioKind kind,
                                              platform::AudioChannel channel) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || !std::ifstream(path, std::ios::binary))
    return Fail(path, "cannot open file");
  HeadlessClip clip;
  clip.name = path;
  clip.kind = kind;
  clip.channel = channel;
  clip.fromFile = true;
  return Add(std::move(clip), "file");
}

platform::AudioClipId HeadlessAudio::Add(HeadlessClip clip, const std::string& source) {
  if (unsupported_.contains(clip.kind)) return Fail(clip.name, std::string("no decoder for ") + KindName(clip.kind));
  clip.id = nextId_++;
  clip.lengthMs = LengthOf(clip);
  Record("audio open " + std::to_string(clip.id) + ": " + clip.name + " (" + KindName(clip.kind) + ", " +
         ChannelName(clip.channel) + ", " + source + ")");
  const platform::AudioClipId id = clip.id;
  clips_.emplace(id, std::move(clip));
  return id;
}

uint32_t HeadlessAudio::LengthOf(const HeadlessClip& clip) const {
  if (auto it = lengths_.find(clip.name); it != lengths_.end()) return it->second;
  if (clip.kind == platform::AudioKind::Wave)
    if (auto length = WaveLength(clip.data)) return *length;
  return kDefaultLengthMs;
}

platform::AudioClipId HeadlessAudio::Fail(const std::string& name, const std::string& reason) {
  lastError_ = reason;
  Record("audio open failed: " + name + ": " + reason);
  return 0;
}

uint32_t HeadlessAudio::CurrentPosition(const HeadlessClip& clip) const {
  if (!clip.playing) return clip.stoppedPosition;
  const uint64_t reached = clip.startPosition + static_cast<uint64_t>(std::max<int64_t>(0, clock_() - clip.startedAt));
  if (clip.loop && clip.lengthMs > 0) return static_cast<uint32_t>(reached % clip.lengthMs);
  return static_cast<uint32_t>(std::min<uint64_t>(reached, clip.lengthMs));
}

void HeadlessAudio::Halt(HeadlessClip& clip) {
  clip.stoppedPosition = CurrentPosition(clip);
  clip.playing = false;
}

bool HeadlessAudio::Play(platform::AudioClipId id, bool loop) {
  HeadlessClip* clip = Find(id);
  if (clip == nullptr) {
    lastError_ = "no such clip";
    return false;
  }
  if (clip->channel == platform::AudioChannel::Wave)
    for (auto& [otherId, other] : clips_)
      if (otherId != id && other.channel == platform::AudioChannel::Wave) Halt(other);
  const uint32_t from = CurrentPosition(*clip);
  clip->startPosition = from >= clip->lengthMs ? 0 : from;
  clip->startedAt = clock_();
  clip->loop = loop;
  clip->playing = true;
  Record("audio play " + std::to_string(id) + ": " + clip->name + " loop=" + (loop ? "1" : "0"));
  return true;
}

void HeadlessAudio::Stop(platform::AudioClipId id) {
  if (HeadlessClip* clip = Find(id)) {
    Halt(*clip);
    Record("audio stop " + std::to_string(id) + ": " + clip->name);
  }
}

void HeadlessAudio::StopChannel(platform::AudioChannel channel) {
  for (auto& [id, clip] : clips_)
    if (clip.channel == channel) Halt(clip);
  Record(std::string("audio stop channel: ") + ChannelName(channel));
}

void HeadlessAudio::Close(platform::AudioClipId id) {
  auto it = clips_.find(id);
  if (it == clips_.end()) return;
  Record("audio close " + std::to_string(id) + ": " + it->second.name);
  clips_.erase(it);
}

bool HeadlessAudio::Seek(platform::AudioClipId id, uint32_t milliseconds) {
  HeadlessClip* clip = Find(id);
  if (clip == nullptr) return false;
  const uint32_t to = std::min(milliseconds, clip->lengthMs);
  if (clip->playing) {
    clip->startPosition = to;
    clip->startedAt = clock_();
  }
  clip->stoppedPosition = to;
  Record("audio seek " + std::to_string(id) + ": " + std::to_string(to));
  return true;
}

bool HeadlessAudio::IsPlaying(platform::AudioClipId id) const {
  const HeadlessClip* clip = Clip(id);
  if (clip == nullptr || !clip->playing) return false;
  return clip->loop || CurrentPosition(*clip) < clip->lengthMs;
}

std::optional<uint32_t> HeadlessAudio::PositionMs(platform::AudioClipId id) const {
  const HeadlessClip* clip = Clip(id);
  if (clip == nullptr) return std::nullopt;
  return CurrentPosition(*clip);
}

std::optional<uint32_t> HeadlessAudio::LengthMs(platform::AudioClipId id) const {
  const HeadlessClip* clip = Clip(id);
  if (clip == nullptr) return std::nullopt;
  return clip->lengthMs;
}

const HeadlessClip* HeadlessAudio::Clip(platform::AudioClipId id) const {
  auto it = clips_.find(id);
  return it == clips_.end() ? nullptr : &it->second;
}

HeadlessClip* HeadlessAudio::Find(platform::AudioClipId id) {
  auto it = clips_.find(id);
  return it == clips_.end() ? nullptr : &it->second;
}

std::vector<const HeadlessClip*> HeadlessAudio::OpenClips() const {
  std::vector<const HeadlessClip*> open;
  for (const auto& [id, clip] : clips_) open.push_back(&clip);
  return open;
}

void HeadlessAudio::Record(std::string line) {
  if (recorder_) recorder_(line);
  lines_.push_back(std::move(line));
}

}  // namespace kpf::platform::headless
