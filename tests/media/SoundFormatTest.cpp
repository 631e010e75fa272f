// Wave images checked chunk by chunk against the sound's real size, kind tables, content
// detection and safe file lookups.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "media/RiffWave.hpp"
#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "project/Errors.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media {
namespace {

using platform::AudioKind;
using testing::Bytes;
using testing::MakeWave;
using testing::PatchLe32;

constexpr size_t kFmtAt = 12;
constexpr size_t kDataAt = 36;  // MakeWave: "fmt " (16 bytes) then "data"

TEST(RiffWaveTest, WellFormedWavesGiveFormatSamplesAndExactImageAndOddChunksArePadded) {
  Bytes wave = MakeWave({.channels = 2, .rate = 22050, .bits = 16, .frames = 10});
  const size_t formSize = wave.size();
  wave.insert(wave.end(), {1, 2, 3});  // bytes after the RIFF form are not the wave's
  const CheckedWave checked = CheckRiffWave(wave);
  EXPECT_EQ(checked.image.data(), wave.data());
  EXPECT_EQ(checked.image.size(), formSize);
  EXPECT_EQ(std::tuple(checked.format.channels, checked.format.samplesPerSecond, checked.format.blockAlign), std::tuple(2, 22050u, 4));
  EXPECT_EQ(checked.samples.size(), 40u);
  EXPECT_EQ(checked.samples.data(), wave.data() + kDataAt + 8);

  // An odd-sized unknown "LIST" chunk with its pad byte between "fmt " and "data" is skipped.
  Bytes listed = MakeWave();
  const Bytes list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  listed.insert(listed.begin() + kDataAt, list.begin(), list.end());
  PatchLe32(listed, 4, static_cast<uint32_t>(listed.size() - 8));
  EXPECT_NO_THROW(CheckRiffWave(listed));

  // An odd "data" chunk at the very end may lack its pad byte.
  Bytes odd = MakeWave({.channels = 1, .rate = 8000, .bits = 8, .frames = 7});
  ASSERT_EQ(odd.size() % 2, 1u);
  EXPECT_EQ(CheckRiffWave(odd).samples.size(), 7u);
}

TEST(RiffWaveTest, MalformedWavesAreRefusedWithAStreamError) {
  const std::vector<std::pair<const char*, std::function<void(Bytes&)>>> cases = {
      {"empty", [](Bytes& w) { w.clear(); }},
      {"not RIFF", [](Bytes& w) { w[0] = 'X'; }},
      {"not WAVE", [](Bytes& w) { w[8] = 'X'; }},
      {"RIFF size past the sound", [](Bytes& w) { PatchLe32(w, 4, static_cast<uint32_t>(w.size())); }},
      {"RIFF size huge", [](Bytes& w) { PatchLe32(w, 4, 0xFFFFFFF0u); }},
      {"RIFF size too small", [](Bytes& w) { PatchLe32(w, 4, 2); }},
      {"data size past the form", [](Bytes& w) { PatchLe32(w, kDataAt + 4, 0x7FFFFFFFu); }},
      {"fmt size past the form", [](Bytes& w) { PatchLe32(w, kFmtAt + 4, 0x10000u); }},
      {"sound cut inside data", [](Bytes& w) { w.resize(w.size() - 10); }},
      {"fmt too short", [](Bytes& w) {
         PatchLe32(w, kFmtAt + 4, 14);
         w.erase(w.begin() + kFmtAt + 8 + 14, w.begin() + kFmtAt + 8 + 16);
         PatchLe32(w, 4, static_cast<uint32_t>(w.size() - 8));
       }},
      {"zero channels", [](Bytes& w) { w[kFmtAt + 10] = 0; }},
      {"zero rate", [](Bytes& w) { PatchLe32(w, kFmtAt + 12, 0); }},
      {"block size not matching", [](Bytes& w) { w[kFmtAt + 20] = 7; }},
      {"no data chunk", [](Bytes& w) { w[kDataAt] = 'x'; }},
      {"no fmt chunk", [](Bytes& w) { w[kFmtAt] = 'x'; }},
      {"truncated chunk header", [](Bytes& w) {
         w.insert(w.end(), {'a', 'b', 'c'});
         PatchLe32(w, 4, static_cast<uint32_t>(w.size() - 8));
       }},
  };
  for (const auto& [name, spoil] : cases) {
    Bytes wave = MakeWave();
    spoil(wave);
    EXPECT_THROW(CheckRiffWave(wave), project::EStreamError) << name;
  }
}

TEST(SoundFormatTest, KindTables) {
  // Open upper-cases the extension first; IT is only reached through its code.
  for (const auto& [extension, kind] : std::vector<std::pair<std::string, uint16_t>>{
           {".MID", kKindMidi}, {".WAV", kKindWave}, {".MP3", kKindMp3}, {".XM", kKindXm}, {".IT", 0}, {"", 0}, {".mid", 0}})
    EXPECT_EQ(DeviceKindFromExtension(extension), kind) << extension;
  for (const auto& [type, kind] :
       std::vector<std::pair<uint16_t, uint16_t>>{{100, kKindMidi}, {102, kKindSecond}, {108, kKindMpp}, {101, 0}, {103, 0}})
    EXPECT_EQ(DeviceKindFromSoundType(type), kind) << type;
  EXPECT_EQ(TempExtensionOf(kKindSecond), "MP3");
  EXPECT_EQ(TempExtensionOf(kKindIt), "IT");
  EXPECT_EQ(TempExtensionOf(0), "");
  EXPECT_EQ(UpperExtension("/a.b/tune.mid"), ".MID");
  EXPECT_EQ(UpperExtension("/a.b/tune"), "");
}

TEST(SoundFormatTest, ContentIsTakenFromTheFirstBytes) {
  Bytes id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 0};
  Bytes rmid = testing::MakeWave();
  std::copy_n("RMID", 4, rmid.begin() + 8);
  Bytes s3m(64, 0);
  std::copy_n("SCRM", 4, s3m.begin() + 44);
  Bytes xm = {'E', 'x', 't', 'e', 'n', 'd', 'e', 'd', ' ', 'M', 'o', 'd', 'u', 'l', 'e', ':', ' ', 0};
  Bytes badSync = {0xFF, 0xFB, 0xF0, 0x00};  // bit-rate index 15 is not valid
  EXPECT_EQ(DetectContent(testing::MakeWave()), SoundContent::Wave);
  EXPECT_EQ(DetectContent(testing::MakeMidi()), SoundContent::Midi);
  EXPECT_EQ(DetectContent(rmid), SoundContent::Midi);
  EXPECT_EQ(DetectContent(testing::MakeMp3Head()), SoundContent::Mp3);
  EXPECT_EQ(DetectContent(id3), SoundContent::Mp3);
  EXPECT_EQ(DetectContent(testing::MakeModHead()), SoundContent::Module);
  EXPECT_EQ(DetectContent(s3m), SoundContent::Module);
  EXPECT_EQ(DetectContent(xm), SoundContent::Module);
  EXPECT_EQ(DetectContent(badSync), SoundContent::Unknown);
  EXPECT_EQ(DetectContent(testing::Garbage(2000)), SoundContent::Unknown);
  EXPECT_EQ(DetectContent({}), SoundContent::Unknown);
}

TEST(SoundFormatTest, KindMustMatchTheContent) {
  using C = SoundContent;
  // MP3 channels take what the data holds, as the system picks the decoder from the data.
  const std::vector<std::tuple<uint16_t, SoundContent, std::optional<AudioKind>>> cases = {
      {kKindMidi, C::Midi, AudioKind::Midi},  {kKindMidi, C::Mp3, std::nullopt},      {kKindWave, C::Wave, AudioKind::Wave},
      {kKindWave, C::Midi, std::nullopt},     {kKindMp3, C::Midi, AudioKind::Midi},   {kKindSecond, C::Wave, AudioKind::Wave},
      {kKindSecond, C::Module, std::nullopt}, {kKindXm, C::Module, AudioKind::Module}, {kKindMod, C::Unknown, std::nullopt},
      {kKindItz, C::Module, std::nullopt},    {kKindMpp, C::Mp3, std::nullopt},       {0, C::Midi, std::nullopt},
  };
  for (const auto& [kind, content, expected] : cases)
    EXPECT_EQ(AudioKindFor(kind, content), expected) << kind << " " << static_cast<int>(content);
}

TEST(SoundFormatTest, LookupInsideAFolderNeverLeavesIt) {
  testing::ScratchFolder scratch;
  const std::string exe = scratch.Exe();
  scratch.Write("exe/tune.mid", testing::MakeMidi());
  scratch.Write("exe/music/song.mid", testing::MakeMidi());
  std::filesystem::create_symlink(scratch.Write("outside.mid", testing::MakeMidi()), exe + "/link.mid");
  std::filesystem::create_directories(exe + "/folder.mid");

  EXPECT_EQ(SoundFileInsideFolder(exe, "tune.mid"), exe + "/tune.mid");
  EXPECT_EQ(SoundFileInsideFolder(exe, "music\\song.mid"), exe + "/music/song.mid");
  // link.mid resolves outside the folder; folder.mid is no file.
  for (const std::string& name : {std::string("music/../tune.mid"), std::string("../outside.mid"), std::string("..\\outside.mid"),
                                  scratch.Root() + "/outside.mid", std::string("link.mid"), std::string("folder.mid"),
                                  std::string("missing.mid"), std::string(), std::string(".")})
    EXPECT_EQ(SoundFileInsideFolder(exe, name), "") << name;
  EXPECT_FALSE(IsSoundFile("/dev/zero"));
  EXPECT_FALSE(ReadSoundFile(exe + "/folder.mid"));
  EXPECT_EQ(ReadSoundFile(exe + "/tune.mid"), testing::MakeMidi());
}

}  // namespace
}  // namespace kpf::media
