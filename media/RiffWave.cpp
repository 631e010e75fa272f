#include "media/RiffWave.hpp"

#include <string>
#include <string_view>

#include "project/ByteReader.hpp"
#include "project/Errors.hpp"

namespace kpf::media {
namespace {

constexpr size_t kRiffHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;
constexpr uint32_t kMinFmtSize = 16;
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;

bool TagIs(std::span<const uint8_t> tag, std::string_view expected) {
  return tag.size() == expected.size() && std::string_view(reinterpret_cast<const char*>(tag.data()), tag.size()) == expected;
}

[[noreturn]] void Malformed(const std::string& why) { throw project::EStreamError("Malformed wave data: " + why); }

WaveFormat ReadFormat(std::span<const uint8_t> body) {
  if (body.size() < kMinFmtSize) Malformed("format chunk too short");
  project::ByteReader reader(body);
  WaveFormat format;
  format.formatTag = reader.readWord();
  format.channels = reader.readWord();
  format.samplesPerSecond = reader.readU32();
  format.averageBytesPerSecond = reader.readU32();
  format.blockAlign = reader.readWord();
  format.bitsPerSample = reader.readWord();
  if (format.formatTag == 0) Malformed("unknown sample format");
  if (format.channels == 0 || format.channels > kMaxWaveChannels) Malformed("bad channel count");
  if (format.samplesPerSecond == 0 || format.samplesPerSecond > kMaxWaveRate) Malformed("bad sample rate");
  if (format.blockAlign == 0) Malformed("bad block size");
  if (format.formatTag == kFormatPcm || format.formatTag == kFormatFloat) {
    const uint16_t bits = format.bitsPerSample;
    if (bits == 0 || bits % 8 != 0 || bits > 64) Malformed("bad sample size");
    if (format.blockAlign != format.channels * (bits / 8)) Malformed("block size does not match the samples");
  }
  return format;
}

}  // namespace

bool LooksLikeRiffWave(std::span<const uint8_t> data) {
  return data.size() >= kRiffHeaderSize && TagIs(data.first(4), "RIFF") && TagIs(data.subspan(8, 4), "WAVE");
}

CheckedWave CheckRiffWave(std::span<const uint8_t> data) {
  if (!LooksLikeRiffWave(data)) Malformed("not a RIFF wave");
  project::ByteReader header(data, 4);
  const uint32_t riffSize = header.readU32();
  if (riffSize < 4 || riffSize > data.size() - kChunkHeaderSize) Malformed("RIFF size exceeds the sound's size");
  const auto form = data.first(kChunkHeaderSize + riffSize);

  CheckedWave result;
  result.image = form;
  bool haveFormat = false;
  bool haveSamples = false;
  project::ByteReader reader(form, kRiffHeaderSize);
  while (reader.remaining() >= kChunkHeaderSize) {
    const auto tag = reader.take(4);
    const uint32_t size = reader.readU32();
    if (size > reader.remaining()) Malformed("chunk exceeds the RIFF form");
    const auto body = reader.take(size);
    if (size % 2 != 0 && reader.remaining() > 0) reader.skip(1);  // pad byte (may be cut at the very end)
    if (TagIs(tag, "fmt ")) {
      if (haveFormat) Malformed("second format chunk");
      result.format = ReadFormat(body);
      haveFormat = true;
    } else if (TagIs(tag, "data") && !haveSamples) {
      if (!haveFormat) Malformed("data chunk before the format chunk");
      result.samples = body;
      haveSamples = true;
    }
  }
  if (reader.remaining() != 0) Malformed("truncated chunk header");
  if (!haveFormat) Malformed("no format chunk");
  if (!haveSamples) Malformed("no data chunk");
  return result;
}

}  // namespace kpf::media
