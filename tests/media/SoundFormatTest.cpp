// Kind tables, content detection and safe file lookups.
#include <gtest/gtest.h>

#include <filesystem>

#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media {
namespace {

using platform::AudioKind;
using testing::Bytes;

TEST(SoundFormatTest, KindTables) {
  EXPECT_EQ(DeviceKindFromExtension(".MID"), kKindMidi);
  EXPECT_EQ(DeviceKindFromExtension(".WAV"), kKindWave);
  EXPECT_EQ(DeviceKindFromExtension(".MP3"), kKindMp3);
  EXPECT_EQ(DeviceKindFromExtension(".XM"), kKindXm);
  EXPECT_EQ(DeviceKindFromExtension(".IT"), 0);  // IT is only reached through its code
  EXPECT_EQ(DeviceKindFromExtension(""), 0);
  EXPECT_EQ(DeviceKindFromExtension(".mid"), 0);  // Open upper-cases first
  EXPECT_EQ(DeviceKindFromSoundType(100), kKindMidi);
  EXPECT_EQ(DeviceKindFromSoundType(102), kKindSecond);
  EXPECT_EQ(DeviceKindFromSoundType(108), kKindMpp);
  EXPECT_EQ(DeviceKindFromSoundType(101), 0);
  EXPECT_EQ(DeviceKindFromSoundType(103), 0);
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
  EXPECT_EQ(AudioKindFor(kKindMidi, SoundContent::Midi), AudioKind::Midi);
  EXPECT_EQ(AudioKindFor(kKindMidi, SoundContent::Mp3), std::nullopt);
  EXPECT_EQ(AudioKindFor(kKindWave, SoundContent::Wave), AudioKind::Wave);
  EXPECT_EQ(AudioKindFor(kKindWave, SoundContent::Midi), std::nullopt);
  // MP3 channels take what the data holds, as the system picks the decoder from the data.
  EXPECT_EQ(AudioKindFor(kKindMp3, SoundContent::Midi), AudioKind::Midi);
  EXPECT_EQ(AudioKindFor(kKindSecond, SoundContent::Wave), AudioKind::Wave);
  EXPECT_EQ(AudioKindFor(kKindSecond, SoundContent::Module), std::nullopt);
  EXPECT_EQ(AudioKindFor(kKindXm, SoundContent::Module), AudioKind::Module);
  EXPECT_EQ(AudioKindFor(kKindMod, SoundContent::Unknown), std::nullopt);
  EXPECT_EQ(AudioKindFor(kKindItz, SoundContent::Module), std::nullopt);
  EXPECT_EQ(AudioKindFor(kKindMpp, SoundContent::Mp3), std::nullopt);
  EXPECT_EQ(AudioKindFor(0, SoundContent::Midi), std::nullopt);
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
  EXPECT_EQ(SoundFileInsideFolder(exe, "music/../tune.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, "../outside.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, "..\\outside.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, scratch.Root() + "/outside.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, "link.mid"), "");  // resolves outside the folder
  EXPECT_EQ(SoundFileInsideFolder(exe, "folder.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, "missing.mid"), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, ""), "");
  EXPECT_EQ(SoundFileInsideFolder(exe, "."), "");
  EXPECT_FALSE(IsSoundFile("/dev/zero"));
  EXPECT_FALSE(ReadSoundFile(exe + "/folder.mid"));
  EXPECT_EQ(ReadSoundFile(exe + "/tune.mid"), testing::MakeMidi());
}

}  // namespace
}  // namespace kpf::media
