#include "media/TMyMediaPlayer.hpp"

#include <optional>
#include <utility>

#include "media/RiffWave.hpp"
#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "project/Errors.hpp"

namespace kpf::media {
namespace {

constexpr const char* kPluginNames[] = {"npmod32.dll", "elamp.dll"};

std::string WithTrailingSlash(std::string folder) {
  if (!folder.ends_with('/')) folder += '/';
  return folder;
}

std::string DefaultPluginFolder(const std::string& executableFolder) {
  if (!executableFolder.empty())
    for (const char* plugin : kPluginNames)
      if (IsSoundFile(WithTrailingSlash(executableFolder) + plugin)) return WithTrailingSlash(executableFolder);
  return SystemTempFolder();
}

const char* MismatchReason(uint16_t kind, SoundContent content) {
  if (kind == kKindItz || kind == kKindMpp) return "No decoder for this kind of sound";
  if (content == SoundContent::Unknown) return "Unrecognised sound data";
  return "The sound data does not match its kind";
}

}  // namespace

TMyMediaPlayer::TMyMediaPlayer(platform::Platform& platform, platform::AudioDevice& device,
                               package::TTemporaryFile& temporaryFiles, const std::string& executableFolder)
    : device_(device),
      temporaryFiles_(temporaryFiles),
      loopTimer_(platform.CreateTimer()),
      pluginFolder_(DefaultPluginFolder(executableFolder)) {
  loopTimer_->SetEnabled(false);
  loopTimer_->SetInterval(kLoopCheckIntervalMs);
  loopTimer_->SetOnTimer([this] { CheckEnd(); });
}

TMyMediaPlayer::~TMyMediaPlayer() {
  Stop();
  Close();
}

void TMyMediaPlayer::SetFileName(std::string name) {
  fileName_ = std::move(name);
  memorySource_ = {};
}

void TMyMediaPlayer::FailOpen(uint32_t code, std::string reason) {
  lastError_ = code;
  lastErrorText_ = std::move(reason);
  throw MyMediaException(ErrorText());
}

std::string TMyMediaPlayer::ErrorText() const { return lastErrorText_.empty() ? "Open media failed" : lastErrorText_; }

void TMyMediaPlayer::Open() {
  // A sound from memory whose copy could not be written has no name: its kind stays as set.
  const bool keepKind = deviceKind_ == kKindMp3 || (!memorySource_.empty() && fileName_.empty());
  if (!keepKind) deviceKind_ = DeviceKindFromExtension(UpperExtension(fileName_));
  if (deviceKind_ < kKindMidi || deviceKind_ > kKindIt) return;
  if (clip_ != 0) device_.Close(clip_);
  clip_ = 0;
  opened_ = false;
  clip_ = OpenSound(deviceKind_);
  opened_ = true;
  lastError_ = kErrorNone;
  lastErrorText_.clear();
}

platform::AudioClipId TMyMediaPlayer::OpenSound(uint16_t kind) {
  const bool fromMemory = !memorySource_.empty();
  std::optional<std::vector<uint8_t>> head;
  if (!fromMemory) {
    head = ReadFileHead(fileName_, kContentProbeSize);
    if (!head) FailOpen(kErrorOpenFailed, "Cannot open the sound file");
  }
  const SoundContent content = DetectContent(fromMemory ? memorySource_ : std::span<const uint8_t>(*head));
  const auto audioKind = AudioKindFor(kind, content);
  if (!audioKind) FailOpen(kErrorOpenFailed, MismatchReason(kind, content));

  platform::AudioClipId clip = 0;
  const std::string label = fileName_.empty() ? "(memory)" : fileName_;
  if (*audioKind == platform::AudioKind::Wave) {
    std::span<const uint8_t> image = memorySource_;
    if (!fromMemory) {
      auto bytes = ReadSoundFile(fileName_);
      if (!bytes) FailOpen(kErrorOpenFailed, "Cannot open the sound file");
      fileImage_ = std::move(*bytes);
      image = fileImage_;
    }
    try {
      image = CheckRiffWave(image).image;
    } catch (const project::EStreamError& error) {
      FailOpen(kErrorOpenFailed, error.what());
    }
    clip = device_.OpenMemory(image, *audioKind, platform::AudioChannel::Media, label);
  } else if (fromMemory) {
    clip = device_.OpenMemory(memorySource_, *audioKind, platform::AudioChannel::Media, label);
  } else {
    clip = device_.OpenFile(fileName_, *audioKind, platform::AudioChannel::Media);
  }
  if (clip == 0) FailOpen(kErrorOpenFailed, device_.LastError());
  return clip;
}

void TMyMediaPlayer::Play() {
  if (deviceKind_ < kKindMidi || deviceKind_ > kKindMp3) throw MyMediaException("Device not assigned");
  if (clip_ == 0) {
    lastError_ = kErrorNotOpen;
    lastErrorText_ = "No sound is open";
    return;
  }
  if (device_.Play(clip_, false)) {
    lastError_ = kErrorNone;
  } else {
    lastError_ = kErrorCommandFailed;
    lastErrorText_ = device_.LastError();
  }
  loopTimer_->SetEnabled(loop_);
}

void TMyMediaPlayer::Stop() {
  loopTimer_->SetEnabled(false);
  if (clip_ != 0) device_.Stop(clip_);
  lastError_ = kErrorNone;
}

void TMyMediaPlayer::Close() {
  loopTimer_->SetEnabled(false);
  if (clip_ == 0 && deviceKind_ == 0) return;
  Stop();
  if (clip_ != 0) device_.Close(clip_);
  clip_ = 0;
  opened_ = false;
  fileImage_.clear();
}

uint32_t TMyMediaPlayer::Position() const { return clip_ == 0 ? 0 : device_.PositionMs(clip_).value_or(0); }

uint32_t TMyMediaPlayer::Length() const { return clip_ == 0 ? 0 : device_.LengthMs(clip_).value_or(0); }

void TMyMediaPlayer::Seek(uint32_t to) {
  if (clip_ == 0) return;
  lastError_ = device_.Seek(clip_, to) ? kErrorNone : kErrorCommandFailed;
}

void TMyMediaPlayer::LoadFromResource(std::span<const uint8_t> data) {
  if (data.empty()) FailOpen(kErrorOpenFailed, "The sound has no data");
  // Nothing is written for data that no decoder would take.
  if (!AudioKindFor(deviceKind_, DetectContent(data)))
    FailOpen(kErrorOpenFailed, MismatchReason(deviceKind_, DetectContent(data)));
  fileName_ = temporaryFiles_.CreateTempFile(TempExtensionOf(deviceKind_), data);
  memorySource_ = data;
  Open();
}

// The end of the piece: the device no longer plays it and its position has reached its length.
// Every kind restarts from the beginning (rewind, then play), so a looped piece of the second
// MP3/wave channel restarts once at its end instead of at every check.
void TMyMediaPlayer::CheckEnd() {
  if (clip_ == 0 || device_.IsPlaying(clip_)) return;
  const auto position = device_.PositionMs(clip_);
  const auto length = device_.LengthMs(clip_);
  if (!position || !length || *position != *length) return;
  try {
    Seek(0);
    Play();
  } catch (const MyMediaException&) {
    loopTimer_->SetEnabled(false);
  }
}

}  // namespace kpf::media
