#include "media/SoundDispatch.hpp"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <utility>

#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"

namespace kpf::media {
namespace {

constexpr int kModeOnce = 1;
constexpr int kModeEveryPass = 2;
constexpr int kModeLooped = 3;
constexpr int kModeBackground = 4;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
         });
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  for (size_t at = 0; at + part.size() <= text.size(); ++at)
    if (StartsWithNoCase(text.substr(at), part)) return true;
  return false;
}

bool HasParentReference(const std::string& name) {
  std::string normal = name;
  std::replace(normal.begin(), normal.end(), '\\', '/');
  for (const auto& part : std::filesystem::path(normal))
    if (part == "..") return true;
  return false;
}

// Stops a player (and closes a media player's device) before it goes.
void Release(std::unique_ptr<TPlayerWave>& player) {
  if (player) player->Stop();
  player.reset();
}

void Release(std::unique_ptr<TMyMediaPlayer>& player) {
  if (player) {
    player->Stop();
    player->Close();
  }
  player.reset();
}

}  // namespace

std::span<const uint8_t> SoundBytes(const project::TTaviSound& sound) {
  if (sound.Size <= 0 || static_cast<size_t>(sound.Size) > sound.Data.size()) return {};
  return sound.Data.first(static_cast<size_t>(sound.Size));
}

SoundDispatch::SoundDispatch(platform::Platform& platform, platform::AudioDevice& device,
                             package::TTemporaryFile& temporaryFiles, SoundDispatchSettings settings)
    : platform_(platform), device_(device), temporaryFiles_(temporaryFiles), settings_(std::move(settings)) {}

SoundDispatch::~SoundDispatch() { StopSounds(); }

std::unique_ptr<TMyMediaPlayer> SoundDispatch::NewMediaPlayer() const {
  return std::make_unique<TMyMediaPlayer>(platform_, device_, temporaryFiles_, settings_.executableFolder);
}

std::unique_ptr<TPlayerWave> SoundDispatch::NewWavePlayer(bool loop) const {
  auto player = std::make_unique<TPlayerWave>(device_);
  player->WhereWave = TWhereWave::wwInRAM;
  player->Async = true;
  player->Loop = loop;
  return player;
}

std::optional<std::string> SoundDispatch::DllArgumentFolder() const {
  constexpr std::string_view kDll = "-dll";
  if (settings_.arguments.size() < 2 || !StartsWithNoCase(settings_.arguments[1], kDll)) return std::nullopt;
  return settings_.arguments[1].substr(kDll.size());
}

void SoundDispatch::PlaySound(int soundIndex, const project::TTaviSound& sound, int mode) {
  if (!mediaPlayer_ && mode != kModeBackground) {
    mediaPlayer_ = NewMediaPlayer();
    if (!settings_.arguments.empty() && ContainsNoCase(settings_.arguments[0], ".tmp")) {
      if (!settings_.enginePluginFolder.empty())
        mediaPlayer_->SetPluginFolder(settings_.enginePluginFolder);
      else if (auto folder = DllArgumentFolder())
        mediaPlayer_->SetPluginFolder(*folder);
    }
  }
  if (sound.Kind == kSoundTypeWaveInMemory)
    PlayWave(sound, mode);
  else
    PlayMedia(soundIndex, sound, mode);
}

void SoundDispatch::PlayMedia(int soundIndex, const project::TTaviSound& sound, int mode) {
  if (mode != kModeBackground) {
    PlayRecord(*mediaPlayer_, soundIndex, sound, mode);
    return;
  }
  if (backgroundPlayer_) return;
  backgroundPlayer_ = NewMediaPlayer();
  if (!settings_.arguments.empty())
    if (auto folder = DllArgumentFolder()) backgroundPlayer_->SetPluginFolder(*folder);
  PlayRecord(*backgroundPlayer_, soundIndex, sound, mode);
}

void SoundDispatch::PlayWave(const project::TTaviSound& sound, int mode) {
  if (!wavePlayer_) wavePlayer_ = NewWavePlayer(false);
  wavePlayer_->WaveData = SoundBytes(sound);
  wavePlayer_->WaveName = sound.Name;
  wavePlayer_->Loop = false;
  if (mode == kModeOnce || mode == kModeEveryPass) {
    wavePlayer_->Play();
  } else if (mode == kModeLooped) {
    wavePlayer_->Loop = true;
    wavePlayer_->Play();
  } else if (mode == kModeBackground && !backgroundWave_) {
    backgroundWave_ = NewWavePlayer(true);
    backgroundWave_->WaveData = SoundBytes(sound);
    backgroundWave_->WaveName = sound.Name;
    backgroundWave_->Play();
  }
}

std::string SoundDispatch::ExistingSoundFile(int soundIndex, const project::TTaviSound& sound) const {
  if (!sound.Name.empty() && !HasParentReference(sound.Name)) {
    if (IsSoundFile(sound.Name)) return sound.Name;
    if (auto beside = SoundFileInsideFolder(settings_.executableFolder, sound.Name); !beside.empty()) return beside;
  }
  // A temporary copy is reused only when this process's temporary-file service made it.
  const auto& ours = temporaryFiles_.Files();
  auto registered = [&](const std::string& path) {
    return !path.empty() && std::find(ours.begin(), ours.end(), path) != ours.end() && IsSoundFile(path);
  };
  if (const std::string remembered = TempFileName(soundIndex); registered(remembered)) return remembered;
  if (registered(sound.TempFileName)) return sound.TempFileName;
  return {};
}

void SoundDispatch::PlayRecord(TMyMediaPlayer& player, int soundIndex, const project::TTaviSound& sound, int mode) {
  player.Close();
  try {
    if (const std::string file = ExistingSoundFile(soundIndex, sound); !file.empty()) {
      player.SetFileName(file);
      player.Open();
    } else {
      const uint16_t kind = DeviceKindFromSoundType(sound.Kind);
      if (kind == 0) return;
      player.SetDeviceKind(kind);
      player.SetFileName({});
      try {
        player.LoadFromResource(SoundBytes(sound));
      } catch (const MyMediaException&) {
        if (!player.GetFileName().empty()) tempFiles_[soundIndex] = player.GetFileName();
        throw;
      }
      if (!player.GetFileName().empty()) tempFiles_[soundIndex] = player.GetFileName();
    }
    if (mode == kModeOnce || mode == kModeEveryPass) {
      player.SetLoop(false);
      player.Play();
    } else if (mode == kModeLooped || mode == kModeBackground) {
      player.SetLoop(true);
      player.Play();
    }
  } catch (const MyMediaException&) {
    // An unplayable sound is skipped; the player goes on without it.
  }
}

void SoundDispatch::StopSounds() {
  Release(wavePlayer_);
  Release(mediaPlayer_);
  Release(backgroundWave_);
  Release(backgroundPlayer_);
}

std::string SoundDispatch::TempFileName(int soundIndex) const {
  auto it = tempFiles_.find(soundIndex);
  return it == tempFiles_.end() ? std::string() : it->second;
}

}  // namespace kpf::media
