#include "platform/sdl/SdlAudioDevice.hpp"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <vector>

namespace kpf::platform::sdl {
namespace {

constexpr int kWaveChannel = 0;  // reserved for the wave channel
constexpr const char* kPreferredSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr const char* kSoundFontFolders[] = {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3"};

// SDL audio belongs to the whole process: only one device may hold the mixer.
std::atomic<bool> mixerTaken{false};

Mix_MusicType MusicTypeOf(platform::AudioKind kind) {
  switch (kind) {
    case platform::AudioKind::Midi: return MUS_MID;
    case platform::AudioKind::Mp3: return MUS_MP3;
    case platform::AudioKind::Module: return MUS_MOD;
    case platform::AudioKind::Wave: return MUS_WAV;
  }
  return MUS_NONE;
}

// Whether the data starts as its kind must: the chunk loader and the MIDI loaders would take
// (and only later fail on) anything. Reads the first 12 bytes and goes back to where it started.
bool StartsAs(SDL_RWops* rw, platform::AudioKind kind) {
  if (kind != platform::AudioKind::Wave && kind != platform::AudioKind::Midi) return true;
  uint8_t magic[12] = {};
  const Sint64 start = SDL_RWtell(rw);
  const bool complete = SDL_RWread(rw, magic, 1, sizeof magic) == sizeof magic;
  const bool riff = std::memcmp(magic, "RIFF", 4) == 0;
  const bool fits = kind == platform::AudioKind::Wave
                        ? riff && std::memcmp(magic + 8, "WAVE", 4) == 0
                        : std::memcmp(magic, "MThd", 4) == 0 || (riff && std::memcmp(magic + 8, "RMID", 4) == 0);
  return SDL_RWseek(rw, start, RW_SEEK_SET) == start && complete && fits;
}

uint32_t SecondsToMs(double seconds) { return static_cast<uint32_t>(std::clamp(seconds * 1000.0, 0.0, 4.0e9)); }

}  // namespace

struct SdlAudioDevice::Clip {
  platform::AudioClipId id = 0;
  std::string name;
  platform::AudioChannel channel = platform::AudioChannel::Media;
  Mix_Chunk* chunk = nullptr;
  Mix_Music* music = nullptr;
  int mixChannel = -1;
  bool playing = false;  // asked to play and not yet seen to stop
  bool loop = false;
  uint64_t startedAt = 0;
  uint32_t startPosition = 0;
  uint32_t stoppedPosition = 0;
  std::optional<uint32_t> length;

  Clip() = default;
  Clip(const Clip&) = delete;
  Clip& operator=(const Clip&) = delete;
  // Freeing halts whatever still plays the data.
  ~Clip() {
    if (chunk != nullptr) Mix_FreeChunk(chunk);
    if (music != nullptr) Mix_FreeMusic(music);
  }
};

SdlAudioDevice::SdlAudioDevice(SdlAudioOptions options) : options_(std::move(options)) {}

SdlAudioDevice::~SdlAudioDevice() {
  if (!open_.value_or(false)) return;
  clips_.clear();
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  mixerTaken = false;
}

std::string SdlAudioDevice::FindSoundFont() {
  std::error_code error;
  if (std::filesystem::is_regular_file(kPreferredSoundFont, error)) return kPreferredSoundFont;
  for (const char* folder : kSoundFontFolders) {
    std::vector<std::string> fonts;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      const std::string extension = entry.path().extension().string();
      if ((extension == ".sf2" || extension == ".sf3") && entry.is_regular_file(error)) fonts.push_back(entry.path());
    }
    std::sort(fonts.begin(), fonts.end());
    if (!fonts.empty()) return fonts.front();
  }
  return {};
}

bool SdlAudioDevice::Available() {
  if (open_) return *open_;
  open_ = false;
  if (mixerTaken.exchange(true)) return Fail("The sound device is in use");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    mixerTaken = false;
    return Fail(std::string("No sound device: ") + SDL_GetError());
  }
  Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID | MIX_INIT_MOD);  // decoders that are missing fail at open
  const std::string fonts = options_.soundFonts.empty() ? FindSoundFont() : options_.soundFonts;
  if (!fonts.empty()) Mix_SetSoundFonts(fonts.c_str());
  if (Mix_OpenAudio(options_.frequency, AUDIO_S16SYS, 2, options_.chunkFrames) != 0) {
    const std::string reason = std::string("No sound device: ") + Mix_GetError();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    mixerTaken = false;
    return Fail(reason);
  }
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  Mix_QuerySpec(&frequency, &format, &channels);
  meter_->bytesPerFrame = std::max(1, channels * static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8));
  bytesPerSecond_ = frequency * meter_->bytesPerFrame;
  Mix_AllocateChannels(std::max(2, options_.mixChannels));
  Mix_ReserveChannels(1);
  Mix_SetPostMix(&SdlAudioDevice::PostMix, meter_.get());
  open_ = true;
  return true;
}

void SdlAudioDevice::PostMix(void* meter, uint8_t* stream, int length) {
  auto* counter = static_cast<Meter*>(meter);
  const int frameBytes = counter->bytesPerFrame;
  uint64_t audible = 0;
  for (int at = 0; at + frameBytes <= length; at += frameBytes)
    if (std::any_of(stream + at, stream + at + frameBytes, [](uint8_t byte) { return byte != 0; })) ++audible;
  counter->audibleFrames.fetch_add(audible);
}

bool SdlAudioDevice::Fail(std::string reason) {
  lastError_ = std::move(reason);
  return false;
}

platform::AudioClipId SdlAudioDevice::FailOpen(std::string reason) {
  Fail(std::move(reason));
  return 0;
}

platform::AudioClipId SdlAudioDevice::OpenMemory(std::span<const uint8_t> data, platform::AudioKind kind,
                                                 platform::AudioChannel channel, std::string_view name) {
  if (!Available()) return 0;
  if (data.empty() || data.size() > static_cast<size_t>(INT_MAX)) return FailOpen("No sound data");
  SDL_RWops* rw = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
  if (rw == nullptr) return FailOpen(SDL_GetError());
  return Load(rw, kind, channel, std::string(name));
}

platform::AudioClipId SdlAudioDevice::OpenFile(const std::string& path, platform::AudioKind kind,
                                               platform::AudioChannel channel) {
  if (!Available()) return 0;
  SDL_RWops* rw = SDL_RWFromFile(path.c_str(), "rb");
  if (rw == nullptr) return FailOpen("Cannot open " + path + ": " + SDL_GetError());
  return Load(rw, kind, channel, path);
}

platform::AudioClipId SdlAudioDevice::Load(void* source, platform::AudioKind kind, platform::AudioChannel channel,
                                           const std::string& name) {
  auto* rw = static_cast<SDL_RWops*>(source);
  auto clip = std::make_unique<Clip>();
  clip->name = name;
  clip->channel = channel;
  if (!StartsAs(rw, kind)) {
    SDL_RWclose(rw);
    return FailOpen("Cannot play " + name + ": the data is not of its kind");
  }
  if (kind == platform::AudioKind::Wave) {
    clip->chunk = Mix_LoadWAV_RW(rw, 1);
    if (clip->chunk != nullptr && bytesPerSecond_ > 0)
      clip->length = static_cast<uint32_t>(uint64_t{clip->chunk->alen} * 1000 / static_cast<uint64_t>(bytesPerSecond_));
  } else {
    clip->music = Mix_LoadMUSType_RW(rw, MusicTypeOf(kind), 1);
    if (clip->music != nullptr)
      if (const double seconds = Mix_MusicDuration(clip->music); seconds > 0) clip->length = SecondsToMs(seconds);
  }
  if (clip->chunk == nullptr && clip->music == nullptr) return FailOpen("Cannot play " + name + ": " + Mix_GetError());
  clip->id = nextId_++;
  const platform::AudioClipId id = clip->id;
  clips_.emplace(id, std::move(clip));
  return id;
}

SdlAudioDevice::Clip* SdlAudioDevice::Find(platform::AudioClipId id) const {
  auto it = clips_.find(id);
  return it == clips_.end() ? nullptr : it->second.get();
}

uint32_t SdlAudioDevice::ElapsedPosition(const Clip& clip) const {
  if (clip.music != nullptr && musicOwner_ == clip.id)
    if (const double seconds = Mix_GetMusicPosition(clip.music); seconds >= 0) return SecondsToMs(seconds);
  const uint64_t reached = clip.startPosition + (SDL_GetTicks64() - clip.startedAt);
  if (!clip.length) return static_cast<uint32_t>(std::min<uint64_t>(reached, UINT32_MAX));
  if (clip.loop && *clip.length > 0) return static_cast<uint32_t>(reached % *clip.length);
  return static_cast<uint32_t>(std::min<uint64_t>(reached, *clip.length));
}

void SdlAudioDevice::Refresh(Clip& clip) const {
  if (!clip.playing) return;
  const bool running = clip.chunk != nullptr
                           ? clip.mixChannel >= 0 && Mix_Playing(clip.mixChannel) && Mix_GetChunk(clip.mixChannel) == clip.chunk
                           : musicOwner_ == clip.id && Mix_PlayingMusic();
  if (running) return;
  // Played to its end: the position is the length (measured now when the decoder had none).
  if (!clip.length) clip.length = ElapsedPosition(clip);
  clip.stoppedPosition = *clip.length;
  clip.playing = false;
  if (musicOwner_ == clip.id) musicOwner_ = 0;
}

void SdlAudioDevice::Halt(Clip& clip) {
  Refresh(clip);
  if (!clip.playing) return;
  clip.stoppedPosition = ElapsedPosition(clip);
  clip.playing = false;
  if (clip.chunk != nullptr && clip.mixChannel >= 0 && Mix_GetChunk(clip.mixChannel) == clip.chunk)
    Mix_HaltChannel(clip.mixChannel);
  if (clip.music != nullptr && musicOwner_ == clip.id) {
    Mix_HaltMusic();
    musicOwner_ = 0;
  }
}

bool SdlAudioDevice::Play(platform::AudioClipId id, bool loop) {
  Clip* clip = Find(id);
  if (clip == nullptr) return Fail("No such sound");
  Refresh(*clip);
  uint32_t from = clip->playing ? ElapsedPosition(*clip) : clip->stoppedPosition;
  if (clip->length && from >= *clip->length) from = 0;
  Halt(*clip);
  if (clip->chunk != nullptr) {
    if (clip->channel == platform::AudioChannel::Wave) StopChannel(platform::AudioChannel::Wave);
    const int wanted = clip->channel == platform::AudioChannel::Wave ? kWaveChannel : -1;
    clip->mixChannel = Mix_PlayChannel(wanted, clip->chunk, loop ? -1 : 0);
    if (clip->mixChannel < 0) return Fail(std::string("Cannot play ") + clip->name + ": " + Mix_GetError());
    from = 0;  // chunks always start at their beginning
  } else {
    if (musicOwner_ != 0 && musicOwner_ != id)
      if (Clip* owner = Find(musicOwner_)) Halt(*owner);
    if (Mix_PlayMusic(clip->music, loop ? -1 : 0) != 0)
      return Fail(std::string("Cannot play ") + clip->name + ": " + Mix_GetError());
    musicOwner_ = id;
    if (from > 0 && Mix_SetMusicPosition(from / 1000.0) != 0) from = 0;
  }
  clip->playing = true;
  clip->loop = loop;
  clip->startedAt = SDL_GetTicks64();
  clip->startPosition = from;
  return true;
}

void SdlAudioDevice::Stop(platform::AudioClipId id) {
  if (Clip* clip = Find(id)) Halt(*clip);
}

void SdlAudioDevice::StopChannel(platform::AudioChannel channel) {
  if (!open_.value_or(false)) return;
  for (auto& [id, clip] : clips_)
    if (clip->channel == channel) Halt(*clip);
  if (channel == platform::AudioChannel::Wave) Mix_HaltChannel(kWaveChannel);
}

void SdlAudioDevice::Close(platform::AudioClipId id) {
  auto it = clips_.find(id);
  if (it == clips_.end()) return;
  Halt(*it->second);
  clips_.erase(it);
}

bool SdlAudioDevice::Seek(platform::AudioClipId id, uint32_t milliseconds) {
  Clip* clip = Find(id);
  if (clip == nullptr) return Fail("No such sound");
  Refresh(*clip);
  const uint32_t to = clip->length ? std::min(milliseconds, *clip->length) : milliseconds;
  if (!clip->playing) {
    clip->stoppedPosition = to;
    return true;
  }
  if (clip->music == nullptr || Mix_SetMusicPosition(to / 1000.0) != 0)
    return Fail(std::string("Cannot seek in ") + clip->name);
  clip->startPosition = to;
  clip->startedAt = SDL_GetTicks64();
  return true;
}

bool SdlAudioDevice::IsPlaying(platform::AudioClipId id) const {
  Clip* clip = Find(id);
  if (clip == nullptr) return false;
  Refresh(*clip);
  return clip->playing;
}

std::optional<uint32_t> SdlAudioDevice::PositionMs(platform::AudioClipId id) const {
  Clip* clip = Find(id);
  if (clip == nullptr) return std::nullopt;
  Refresh(*clip);
  return clip->playing ? ElapsedPosition(*clip) : clip->stoppedPosition;
}

std::optional<uint32_t> SdlAudioDevice::LengthMs(platform::AudioClipId id) const {
  Clip* clip = Find(id);
  if (clip == nullptr) return std::nullopt;
  Refresh(*clip);
  return clip->length;
}

}  // namespace kpf::platform::sdl
