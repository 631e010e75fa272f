#include "media/SoundFormat.hpp"

#include <array>
#include <cctype>
#include <utility>

#include "media/RiffWave.hpp"

namespace kpf::media {
namespace {

struct KindRow {
  uint16_t kind;
  const char* extension;      // recognised by Open; "" when none
  uint16_t soundType;         // project sound type; 0 when none
  const char* tempExtension;  // of the temporary copy
};

constexpr std::array<KindRow, 10> kKinds{{
    {kKindMidi, ".MID", 100, "MID"},
    {kKindWave, ".WAV", 0, "WAV"},
    {kKindSecond, "", 102, "MP3"},
    {kKindMod, ".MOD", 104, "MOD"},
    {kKindItz, ".ITZ", 105, "ITZ"},
    {kKindS3m, ".S3M", 106, "S3M"},
    {kKindXm, ".XM", 107, "XM"},
    {kKindMpp, ".MPP", 108, "MPP"},
    {kKindMp3, ".MP3", 0, "MP3"},
    {kKindIt, "", 0, "IT"},
}};

bool HasAt(std::span<const uint8_t> data, size_t offset, std::string_view text) {
  if (offset > data.size() || data.size() - offset < text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (data[offset + i] != static_cast<uint8_t>(text[i])) return false;
  return true;
}

bool IsMidi(std::span<const uint8_t> head) {
  return HasAt(head, 0, "MThd") || (HasAt(head, 0, "RIFF") && HasAt(head, 8, "RMID"));
}

// An ID3v2 tag, or an MPEG audio frame header with valid version, layer, bit rate and rate.
bool IsMp3(std::span<const uint8_t> head) {
  if (HasAt(head, 0, "ID3") && head.size() >= 4 && head[3] != 0xFF) return true;
  if (head.size() < 4 || head[0] != 0xFF || (head[1] & 0xE0) != 0xE0) return false;
  const int version = (head[1] >> 3) & 3;
  const int layer = (head[1] >> 1) & 3;
  const int bitRate = head[2] >> 4;
  const int rate = (head[2] >> 2) & 3;
  return version != 1 && layer != 0 && bitRate != 15 && rate != 3;
}

bool IsModSignature(std::span<const uint8_t> head) {
  constexpr size_t kAt = 1080;
  for (std::string_view tag : {"M.K.", "M!K!", "M&K!", "N.T.", "FLT4", "FLT8", "CD81", "OKTA", "OCTA"})
    if (HasAt(head, kAt, tag)) return true;
  if (head.size() < kAt + 4) return false;
  auto digit = [&](size_t i) { return std::isdigit(head[kAt + i]) != 0; };
  if (digit(0) && HasAt(head, kAt + 1, "CHN")) return true;           // "6CHN"
  if (digit(0) && digit(1) && HasAt(head, kAt + 2, "CH")) return true;  // "16CH"
  return HasAt(head, kAt, "TDZ") && digit(3);
}

bool IsModule(std::span<const uint8_t> head) {
  return HasAt(head, 0, "Extended Module: ") || HasAt(head, 0, "IMPM") || HasAt(head, 44, "SCRM") ||
         IsModSignature(head);
}

}  // namespace

uint16_t DeviceKindFromExtension(std::string_view upperExtension) {
  if (upperExtension.empty()) return 0;
  for (const KindRow& row : kKinds)
    if (upperExtension == row.extension) return row.kind;
  return 0;
}

uint16_t DeviceKindFromSoundType(uint16_t soundType) {
  for (const KindRow& row : kKinds)
    if (row.soundType != 0 && row.soundType == soundType) return row.kind;
  return 0;
}

std::string TempExtensionOf(uint16_t deviceKind) {
  for (const KindRow& row : kKinds)
    if (row.kind == deviceKind) return row.tempExtension;
  return {};
}

SoundContent DetectContent(std::span<const uint8_t> head) {
  if (LooksLikeRiffWave(head)) return SoundContent::Wave;
  if (IsMidi(head)) return SoundContent::Midi;
  if (IsModule(head)) return SoundContent::Module;
  if (IsMp3(head)) return SoundContent::Mp3;
  return SoundContent::Unknown;
}

std::optional<platform::AudioKind> AudioKindFor(uint16_t deviceKind, SoundContent content) {
  using platform::AudioKind;
  switch (deviceKind) {
    case kKindMidi:
      if (content == SoundContent::Midi) return AudioKind::Midi;
      break;
    case kKindWave:
      if (content == SoundContent::Wave) return AudioKind::Wave;
      break;
    case kKindSecond:
    case kKindMp3:
      if (content == SoundContent::Mp3) return AudioKind::Mp3;
      if (content == SoundContent::Wave) return AudioKind::Wave;
      if (content == SoundContent::Midi) return AudioKind::Midi;
      break;
    case kKindMod:
    case kKindS3m:
    case kKindXm:
    case kKindIt:
      if (content == SoundContent::Module) return AudioKind::Module;
      break;
    default:
      break;  // ITZ, MPP and unknown codes: no decoder
  }
  return std::nullopt;
}

}  // namespace kpf::media
