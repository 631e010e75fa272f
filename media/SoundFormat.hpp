#pragma once
// The media player's kind codes, their tables (file extensions, project sound types, temporary
// file extensions) and a look at the first bytes of a sound to tell what it really holds, so a
// sound whose data is not what its kind says never reaches a decoder.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/AudioDevice.hpp"

namespace kpf::media {

constexpr uint16_t kKindMidi = 4096;
constexpr uint16_t kKindWave = 4097;
constexpr uint16_t kKindSecond = 4098;  // second MP3/wave channel (project sound type 102)
constexpr uint16_t kKindMod = 4099;
constexpr uint16_t kKindItz = 4100;
constexpr uint16_t kKindS3m = 4101;
constexpr uint16_t kKindXm = 4102;
constexpr uint16_t kKindMpp = 4103;
constexpr uint16_t kKindMp3 = 4104;
constexpr uint16_t kKindIt = 4105;

// Project sound type of wave data played from memory by the wave player.
constexpr uint16_t kSoundTypeWaveInMemory = 101;

// ".MID" → 4096 ... (upper-case extension with its dot); 0 for anything else.
uint16_t DeviceKindFromExtension(std::string_view upperExtension);
// 100 → 4096, 102 → 4098, 104..108 → 4099..4103; 0 for other types.
uint16_t DeviceKindFromSoundType(uint16_t soundType);
// "MID", "WAV", "MP3", ... for the temporary copy; "" for 0 and unknown codes.
std::string TempExtensionOf(uint16_t deviceKind);

enum class SoundContent { Unknown, Wave, Midi, Mp3, Module };

// Bytes DetectContent looks at (a MOD signature sits at offset 1080).
constexpr size_t kContentProbeSize = 1084;
// What the first bytes of a sound file hold.
SoundContent DetectContent(std::span<const uint8_t> head);

// How a sound of `deviceKind` whose bytes hold `content` is given to the device; empty when the
// data is not what the kind says or no decoder plays the kind (ITZ, MPP). Kinds 4098 and 4104
// accept MP3, wave and MIDI data alike, as the system picks the decoder from the data.
std::optional<platform::AudioKind> AudioKindFor(uint16_t deviceKind, SoundContent content);

}  // namespace kpf::media
