// Sound dispatch: play modes, the background channels, temporary copies, hostile sounds.
#include <gtest/gtest.h>

#include <filesystem>
#include <list>

#include "media/SoundDispatch.hpp"
#include "media/SoundFile.hpp"
#include "media/SoundFormat.hpp"
#include "tests/media/MediaTestSupport.hpp"

namespace kpf::media {
namespace {

using testing::Bytes;

class SoundDispatchTest : public testing::MediaFixture {
 protected:
  // A sound whose data lives as long as the test.
  project::TTaviSound MakeSound(const std::string& name, uint16_t kind, Bytes data) {
    const Bytes& kept = kept_.emplace_back(std::move(data));
    project::TTaviSound sound;
    sound.Name = name;
    sound.Kind = kind;
    sound.Size = static_cast<int32_t>(kept.size());
    sound.Data = kept;
    return sound;
  }
  SoundDispatch& Dispatch(std::vector<std::string> arguments = {}, std::string engineFolder = {}) {
    dispatch.emplace(platform, audio, temporaryFiles,
                     SoundDispatchSettings{scratch.Exe(), std::move(arguments), std::move(engineFolder)});
    return *dispatch;
  }
  std::vector<std::string> TmpFiles() const { return scratch.Files(scratch.Tmp()); }

  const Bytes midi = testing::MakeMidi();
  const Bytes wave = testing::MakeWave();
  std::list<Bytes> kept_;
  std::optional<SoundDispatch> dispatch;
};

TEST_F(SoundDispatchTest, FileNextToTheExecutableIsPreferredAndAMissingOneIsWrittenFromItsDataOnce) {
  const std::string beside = scratch.Write("exe/music/theme.mid", midi);
  auto& sounds = Dispatch();
  sounds.PlaySound(0, MakeSound("music\\theme.mid", 100, midi), 1);
  EXPECT_EQ(LinesWith("audio open"), std::vector<std::string>{"audio open 1: " + beside + " (midi, media, file)"});
  EXPECT_TRUE(TmpFiles().empty());

  const auto sound = MakeSound("theme.mid", 100, midi);
  sounds.PlaySound(3, sound, 1);
  const std::string copy = sounds.TempFileName(3);
  ASSERT_FALSE(copy.empty());
  EXPECT_TRUE(copy.starts_with(scratch.Tmp() + "/"));
  EXPECT_EQ(temporaryFiles.Files(), std::vector<std::string>{copy});  // deleted when the service ends
  ASSERT_NE(sounds.MediaPlayer(), nullptr);
  EXPECT_FALSE(sounds.MediaPlayer()->Loop());
  EXPECT_EQ(LinesWith("audio open 2"), std::vector<std::string>{"audio open 2: " + copy + " (midi, media, memory " +
                                                                 std::to_string(midi.size()) + " bytes)"});
  sounds.PlaySound(3, sound, 2);
  EXPECT_EQ(sounds.TempFileName(3), copy);
  EXPECT_EQ(LinesWith("audio open 3"), std::vector<std::string>{"audio open 3: " + copy + " (midi, media, file)"});
  EXPECT_EQ(TmpFiles().size(), 1u);
  EXPECT_EQ(LinesWith("close 2").size(), 1u);  // the foreground channel was closed first
}

TEST_F(SoundDispatchTest, ModesThreeAndFourLoopAndTheBackgroundChannelStartsOnce) {
  auto& sounds = Dispatch();
  const auto theme = MakeSound("theme.mid", 100, midi);
  const auto other = MakeSound("other.mid", 100, testing::MakeMidi(192));
  sounds.PlaySound(0, theme, 4);
  EXPECT_EQ(sounds.MediaPlayer(), nullptr);  // mode 4 alone makes no foreground player
  ASSERT_NE(sounds.BackgroundPlayer(), nullptr);
  EXPECT_TRUE(sounds.BackgroundPlayer()->Loop());
  EXPECT_TRUE(sounds.BackgroundPlayer()->LoopTimer().Enabled());
  const auto linesAfterFirst = audio.Lines();
  sounds.PlaySound(1, other, 4);
  EXPECT_EQ(audio.Lines(), linesAfterFirst);

  sounds.PlaySound(1, other, 3);
  ASSERT_NE(sounds.MediaPlayer(), nullptr);
  EXPECT_TRUE(sounds.MediaPlayer()->Loop());
  sounds.PlaySound(1, other, 7);  // other modes leave the sound open without playing
  EXPECT_TRUE(sounds.MediaPlayer()->Opened());
  EXPECT_FALSE(sounds.MediaPlayer()->LoopTimer().Enabled());
  EXPECT_EQ(LinesWith("audio play").size(), 2u);
}

TEST_F(SoundDispatchTest, WavesPlayFromTheSoundDataWithoutACopyAndStopSoundsFreesAllFourPlayers) {
  auto& sounds = Dispatch();
  const auto ding = MakeSound("ding.wav", 101, wave);
  sounds.PlaySound(0, ding, 1);
  ASSERT_NE(sounds.WavePlayer(), nullptr);
  const auto* clip = audio.Clip(sounds.WavePlayer()->Clip());
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->data.data(), ding.Data.data());
  EXPECT_EQ(clip->channel, platform::AudioChannel::Wave);
  EXPECT_FALSE(clip->loop);
  sounds.PlaySound(0, ding, 3);
  EXPECT_TRUE(audio.Clip(sounds.WavePlayer()->Clip())->loop);
  sounds.PlaySound(0, ding, 4);
  ASSERT_NE(sounds.BackgroundWave(), nullptr);
  const auto background = sounds.BackgroundWave()->Clip();
  EXPECT_TRUE(audio.Clip(background)->loop);
  sounds.PlaySound(0, ding, 4);
  EXPECT_EQ(sounds.BackgroundWave()->Clip(), background);
  EXPECT_TRUE(TmpFiles().empty());

  sounds.PlaySound(1, MakeSound("a.mid", 100, midi), 1);
  sounds.PlaySound(2, MakeSound("b.mid", 100, midi), 4);
  EXPECT_EQ(audio.OpenClips().size(), 4u);
  sounds.StopSounds();
  EXPECT_EQ(std::tuple(sounds.MediaPlayer(), sounds.BackgroundPlayer(), sounds.WavePlayer(), sounds.BackgroundWave()),
            std::tuple(nullptr, nullptr, nullptr, nullptr));
  EXPECT_TRUE(audio.OpenClips().empty());
  sounds.PlaySound(2, MakeSound("b.mid", 100, midi), 4);  // the background channel can start again
  EXPECT_NE(sounds.BackgroundPlayer(), nullptr);
}

TEST_F(SoundDispatchTest, HostileSoundsAreSkippedQuietlyAndWriteNothingOutsideTheTemporaryFolder) {
  auto& sounds = Dispatch();
  Bytes lyingWave = wave;
  testing::PatchLe32(lyingWave, 4, 0x7FFFFFF0u);
  project::TTaviSound oversized = MakeSound("big.mid", 100, midi);
  oversized.Size = static_cast<int32_t>(midi.size() + 1);
  project::TTaviSound negative = MakeSound("neg.mid", 100, midi);
  negative.Size = -5;
  const std::vector<project::TTaviSound> hostile = {
      MakeSound("lying.wav", 101, lyingWave),
      MakeSound("empty.mid", 100, {}),
      MakeSound("empty.wav", 101, {}),
      MakeSound("garbage.mid", 100, testing::Garbage(500)),
      MakeSound("midi-as-mod.mod", 104, midi),
      MakeSound("tune.itz", 105, testing::MakeModHead()),
      MakeSound("odd-type", 103, midi),
      oversized,
      negative,
  };
  const auto outsideBefore = scratch.Files({}, scratch.Tmp());
  for (int mode = 1; mode <= 4; ++mode)
    for (size_t i = 0; i < hostile.size(); ++i) EXPECT_NO_THROW(sounds.PlaySound(static_cast<int>(i), hostile[i], mode));
  EXPECT_TRUE(LinesWith("audio play").empty());
  EXPECT_TRUE(TmpFiles().empty());
  EXPECT_EQ(scratch.Files({}, scratch.Tmp()), outsideBefore);
}

TEST_F(SoundDispatchTest, NamesThatLeaveTheExecutableFolderAndForeignCopiesAreNotUsed) {
  scratch.Write("escape.mid", testing::MakeMidi(500));
  auto& sounds = Dispatch();
  sounds.PlaySound(0, MakeSound("../escape.mid", 100, midi), 1);
  sounds.PlaySound(1, MakeSound("..\\escape.mid", 100, midi), 1);
  sounds.PlaySound(2, MakeSound("sub/../../escape.mid", 100, midi), 1);
  auto foreign = MakeSound("theme.mid", 100, midi);
  foreign.TempFileName = scratch.Write("foreign.mid", testing::MakeMidi(300));
  sounds.PlaySound(3, foreign, 1);
  // Each was written from its own data to a generated name inside the temporary folder.
  const auto copies = TmpFiles();
  ASSERT_EQ(copies.size(), 4u);
  for (const auto& copy : copies) {
    EXPECT_TRUE(copy.starts_with(scratch.Tmp() + "/")) << copy;
    EXPECT_EQ(copy.find("escape"), std::string::npos) << copy;
  }
  EXPECT_TRUE(LinesWith("escape.mid (").empty());
  EXPECT_TRUE(LinesWith("foreign").empty());
}

TEST_F(SoundDispatchTest, PluginFolderFromTheCommandLine) {
  struct Case {
    std::vector<std::string> arguments;
    std::string engineFolder;
    std::string foreground;
    std::string background;
  };
  const std::string fallback = SystemTempFolder();
  const std::vector<Case> cases = {
      {{}, "", fallback, fallback},
      {{"C:\\x\\kpf1.tmp", "-dll/opt/plugins/"}, "", "/opt/plugins/", "/opt/plugins/"},
      {{"C:\\x\\kpf1.tmp", "-DLL/opt/plugins/"}, "/engine/", "/engine/", "/opt/plugins/"},
      {{"project.kpf", "-dll/opt/plugins/"}, "", fallback, "/opt/plugins/"},
      {{"C:\\x\\kpf1.tmp", "-vs"}, "", fallback, fallback},
  };
  for (const Case& c : cases) {
    auto& sounds = Dispatch(c.arguments, c.engineFolder);
    sounds.PlaySound(0, MakeSound("a.mid", 100, midi), 1);
    sounds.PlaySound(1, MakeSound("b.mid", 100, midi), 4);
    ASSERT_NE(sounds.MediaPlayer(), nullptr);
    ASSERT_NE(sounds.BackgroundPlayer(), nullptr);
    EXPECT_EQ(sounds.MediaPlayer()->PluginFolder(), c.foreground);
    EXPECT_EQ(sounds.BackgroundPlayer()->PluginFolder(), c.background);
  }
}

}  // namespace
}  // namespace kpf::media
