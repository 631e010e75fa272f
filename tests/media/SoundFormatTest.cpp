// Kind tables, content detection and safe file lookups.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media {
namespace {

using platform::AudioKind;
using testing::Bytes;

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
  testing::Scratch scratch;
  const std::string exe = scratch.Exe();
  scratch.Write(exe + "/tune.mid", testing::MakeMidi());
  scratch.Write(exe + "/music/song.mid", testing::MakeMidi());
  scratch.Write(scratch.Root() + "/outside.mid", testing::MakeMidi());
  std::filesystem::create_symlink(scratch.Root() + "/outside.mid", exe + "/link.mid");
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
