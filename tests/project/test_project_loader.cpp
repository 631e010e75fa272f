// Loading of hand-assembled project streams: each section, the documented edge cases, image
// variants, sound references, frame data and outlines.
#include <gtest/gtest.h>

#include "LoaderFixtures.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using namespace kpf::test;

TEST(ProjectLoader, MagicAndEndGiveAnEmptyProjectAndAWrongMagicLoadsNothing) {
  auto r = LoadStream(Magic().end());
  EXPECT_EQ(std::tuple(r.error, r.model->Scripts.empty(), r.model->Animations.empty(), r.model->Variables.size(),
                       r.model->FrameData.Size()), std::tuple("", true, true, kSystemVariableCount, 0u));
  // Without an option-flag section the defaults apply.
  for (int i = 0; i < 12; ++i) EXPECT_EQ(r.model->OptionFlag(i), i == 1 || i == 2 || i == 10) << i;

  for (const char* magic : {"KPF1", "XXXX"}) {
    auto wrong = LoadStream(ByteBuilder().nul(magic).section(140, ByteBuilder().i32(9).i32(0)).end());
    // The system variables are still registered.
    EXPECT_EQ(std::tuple(wrong.error, wrong.model->NextScriptId, wrong.model->Scripts.empty(), wrong.model->Variables.size()),
              std::tuple("", 0, true, kSystemVariableCount)) << magic;
  }
}

// The script section replaces an earlier one; the reserved section between is skipped by length.
TEST(ProjectLoader, ScriptsTheEmptyActionRuleAndSectionsSkippedOrReplaced) {
  ByteBuilder body;
  body.i32(10).i32(2);
  body.i32(3).nul("Start").nul("runs first").i32(1).i32(0).i32(4).i32(2);
  Action(body, "Play", 5, 0);  // no flags: an empty action
  Action(body, "Call", 20, 0, ByteBuilder().i32(0).i32(9));
  body.i32(4).nul("Other").nul("").i32(7).i32(8).i32(-1).i32(0);
  auto stream = Magic().section(140, ScriptSection(1, {{}})).section(141, ByteBuilder().i32(1).i32(2).i32(3));
  auto r = LoadStream(stream.section(140, body).end());
  ASSERT_EQ(r.error, "");
  const auto& m = *r.model;
  EXPECT_EQ(m.NextScriptId, 10);
  ASSERT_EQ(m.Scripts.size(), 2u);
  const auto& s = m.Scripts[0];
  EXPECT_EQ(std::tuple(s.Id, s.Name, s.Description, s.Trigger), std::tuple(3, "Start", "runs first", 4));
  ASSERT_EQ(s.Actions.size(), 2u);
  EXPECT_EQ(std::tuple(s.Actions[0].ActionType, s.Actions[0].Name), std::tuple(-1, "[none]"));
  EXPECT_EQ(std::tuple(s.Actions[1].ActionType, s.Actions[1].Name), std::tuple(20, "Call"));
  EXPECT_EQ(s.Actions[1].ParamInt, (std::vector<int32_t>{9}));  // kind 0 with value 9
  EXPECT_EQ(std::tuple(m.Scripts[1].Reserved1, m.Scripts[1].Reserved2), std::tuple(7, 8));
  EXPECT_EQ(m.ScriptById(4), &m.Scripts[1]);
  EXPECT_EQ(m.ScriptById(-1), nullptr);
}

TEST(ProjectLoader, AnimationFieldsFramesAndSounds) {
  auto stream = Magic().section(140, ByteBuilder().i32(0).i32(0)).section(651, ImageSection(1));
  ByteBuilder anims;
  anims.compact(1);
  anims.i32(42).shortString("Walk").u16(120).u16(64).u16(3).u16(0).u8(200);
  anims.shortString("<%A%>").shortString("10").u8(2);
  anims.sized(ByteBuilder().u8(1).i32(-5).u8(2).i32(7).bytes());
  anims.u8(1).sized(ByteBuilder().raw({3, 9, 9}).bytes());
  anims.i32(15);
  for (int i = 0; i < 15; ++i) anims.i32(i == 3 ? 8 : -1);
  anims.i32(3);
  ImageFrame(anims, FrameSpec{.image = 0, .sounds = {{1, 2}, {0, 1}}});
  anims.u16(200).nul("http://example.com").compact(0).i32(-1);
  anims.u16(7).sized(ByteBuilder().i32(1).bytes()).compact(1).i32(0).u8(3).i32(12);
  stream.section(652, anims.i32(0));
  ByteBuilder sounds;
  sounds.i32(2).u16(101).nul("hello.wav").sized(ByteBuilder().text("RIFFdata").bytes());
  sounds.u16(104).nul("tune.mid").sized(ByteBuilder().text("MThd").bytes());
  auto r = LoadStream(stream.section(129, sounds).end());
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Animations.size(), 1u);
  const auto& a = m.Animations[0];
  EXPECT_EQ(std::tuple(a.Id, a.Name, a.Height, a.Width, a.EventIndex, a.RepeatCount, a.Option),
            std::tuple(42, "Walk", 120, 64, 3, 0, 200));
  EXPECT_EQ(std::tuple(a.PosX, a.MoveMode, a.ExtraByte, a.EventScripts[3]), std::tuple("<%A%>", 2, 3, 8));
  EXPECT_EQ(a.Params, (std::vector<int32_t>{-5, 7}));
  ASSERT_EQ(a.Frames.size(), 3u);
  const auto& f = a.Frames[0];
  EXPECT_EQ(std::tuple(f.X, f.Y, f.Duration, f.Variants[0].Image), std::tuple(1, 2, 5, 0));
  EXPECT_FALSE(f.HasVariant(1));
  ASSERT_EQ(f.Sounds.size(), 2u);
  EXPECT_EQ(std::tuple(f.Sounds[0].SoundIndex, f.Sounds[0].PlayMode), std::tuple(1, 2));
  EXPECT_EQ(std::tuple(a.Frames[1].Kind, a.Frames[1].Document, a.Frames[1].Duration),
            std::tuple(200, "http://example.com", 15));
  EXPECT_EQ(std::tuple(a.Frames[2].Kind, a.Frames[2].ScriptId, a.Frames[2].Sounds.size()), std::tuple(7, 12, 1u));

  ASSERT_EQ(m.Sounds.size(), 2u);
  EXPECT_EQ(std::tuple(m.Sounds[0].Name, m.Sounds[1].Kind, m.Sounds[1].Size), std::tuple("hello.wav", 104, 4));
  EXPECT_EQ(std::string(m.Sounds[0].Data.begin(), m.Sounds[0].Data.end()), "RIFFdata");
  EXPECT_EQ(std::string(m.Sounds[1].Data.begin(), m.Sounds[1].Data.end()), "MThd");
  // Image bytes come first in the frame data, the sounds follow in order.
  EXPECT_EQ(m.FrameData.Size(), PaletteImage().size() + 12);
  EXPECT_EQ(m.Sounds[0].Data.data(), m.FrameData.Memory() + PaletteImage().size());
  ASSERT_EQ(m.Bitmaps.size(), 1u);
  EXPECT_EQ(std::tuple(m.Bitmaps[0].Width(), m.Bitmaps[0].UseCount), std::tuple(2, 1));
  EXPECT_EQ(m.AnimationIndexByName("WALK"), 0);
}

TEST(ProjectLoader, SeventyFramesLoadInOrder) {
  std::vector<FrameSpec> frames(70);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = FrameSpec{.scriptId = static_cast<int32_t>(100 + i), .duration = 3};
  auto r = LoadStream(Magic().section(651, ImageSection(1)).section(652, OneAnimation(frames)).end());
  ASSERT_EQ(r.error, "");
  const auto& a = r.model->Animations[0];
  ASSERT_EQ(a.Frames.size(), 70u);
  for (size_t i = 0; i < 70; ++i)
    EXPECT_EQ(std::tuple(a.Frames[i].Duration, a.Frames[i].ScriptId), std::tuple(3, static_cast<int32_t>(100 + i)));
  EXPECT_EQ(r.model->Bitmaps[0].UseCount, 70);
}

// Images without animations still map the frame data.
TEST(ProjectLoader, LongCompactCountAnnounces1140Images) {
  ByteBuilder body;
  body.compact(1140);
  for (int i = 0; i < 1140; ++i) body.i32(0).i32(0).u8(9);  // entries without pixel data
  auto r = LoadStream(Magic().section(651, body).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Bitmaps.size(), 1140u);
  EXPECT_EQ(r.model->FrameData.Size(), 1140u * 9);
}

TEST(ProjectLoader, MenuEntriesBecomeScripts) {
  auto stream = Magic().section(140, ByteBuilder().i32(20).i32(0));
  ByteBuilder menus;
  menus.i32(3).nul("Say hello").i32(3);
  for (int i = 0; i < 3; ++i) Action(menus, "Act", 30 + i, 1);
  menus.nul("Nothing").i32(0).nul("Bye").i32(1);
  Action(menus, "Act", 40, 1);
  ByteBuilder keys;
  keys.i32(3);
  for (const char* key : {"k1", "k2", "k3"}) keys.nul(key).sized(ByteBuilder().text("BM").bytes()).i32(2).u16(0);
  ByteBuilder flags;
  flags.i32(3).i32(1).i32(0xFF00000F).i32(-1).i32(3).i32(0).i32(-1).i32(2).i32(5).i32(99);
  auto r = LoadStream(stream.section(132, menus).section(133, keys).section(137, flags).end());
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Scripts.size(), 2u);
  EXPECT_EQ(std::tuple(m.Scripts[0].Id, m.Scripts[0].Name, m.Scripts[0].Actions.size()), std::tuple(20, "Script-20", 3u));
  EXPECT_EQ(m.Scripts[0].Description, "Script that executed when user click on popup menu `Say hello`");
  EXPECT_EQ(std::tuple(m.Scripts[1].Name, m.NextScriptId), std::tuple("Script-21", 22));
  ASSERT_EQ(m.MenuEntries.size(), 3u);
  const auto& e = m.MenuEntries[0];
  EXPECT_EQ(std::tuple(e.ItemKey, e.Image.size(), e.ImageColor), std::tuple("k1", 2u, static_cast<int32_t>(0xFF00000F)));
  EXPECT_EQ(e.ScriptId, -1);  // tag 137 overwrites
  EXPECT_EQ(std::tuple(m.MenuEntries[2].ScriptId, m.MenuEntries[1].Flags), std::tuple(99, 3));
}

TEST(ProjectLoader, MenuExtrasWithAnotherCountAreSkipped) {
  auto stream = Magic().section(132, ByteBuilder().i32(1).nul("One").i32(0));
  stream.section(133, ByteBuilder().i32(2).nul("a").i32(0).i32(0).nul("b").i32(0).i32(0));
  stream.section(137, ByteBuilder().i32(0)).section(140, ByteBuilder().i32(5).i32(0));
  auto r = LoadStream(stream.end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(std::tuple(r.model->MenuEntries[0].ItemKey, r.model->NextScriptId), std::tuple("", 5));
}

TEST(ProjectLoader, OptionFlagsCaptionsPlayListsDialogsVariables) {
  auto stream = Magic().section(131, ByteBuilder().i32(3).raw({0, 0, 1}));
  ByteBuilder captions;
  captions.i32(8);
  for (const char* c : {"Info", "Quit", "Quiet", "Autostart", "Away", "Top", "Remove", "Back"}) captions.nul(c);
  stream.section(144, captions);
  stream.section(135, ByteBuilder().i32(1).nul("Dance").nul("txt").u8(1).u16(300).i32(2).nul("A").nul("B").i32(0));
  stream.section(135, ByteBuilder().i32(1).nul("Second").nul("").u8(0).u16(0).i32(0).i32(0));
  stream.section(139, ByteBuilder().i32(4).i32(1).i32(3).nul("Ask").sized(ByteBuilder().raw({1, 2, 3}).bytes()));
  ByteBuilder vars;
  vars.i32(9).compact(2).i32(1).shortString("score").u8(0).i32(12).i32(2).shortString("who").u8(1).nul("me");
  stream.section(399, vars);
  auto r = LoadStream(stream.end());
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(m.OptionFlag(i), i == 2 || i == 10) << i;
  EXPECT_FALSE(m.OptionFlag(100));
  EXPECT_EQ(std::tuple(m.MenuCaptions.size(), m.MenuCaptions.back()), std::tuple(8u, "Back"));
  ASSERT_EQ(m.PlayLists.size(), 2u);
  EXPECT_EQ(m.PlayLists[0].Items, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(std::tuple(m.PlayLists[0].Value, m.PlayLists[0].Mode), std::tuple(300, 1));
  EXPECT_EQ(m.NextDialogId, 4);
  ASSERT_EQ(m.Dialogs.size(), 1u);
  EXPECT_EQ(std::tuple(m.Dialogs[0].Name, m.Dialogs[0].Definition.size()), std::tuple("Ask", 3u));
  ASSERT_EQ(m.Variables.size(), 2 + kSystemVariableCount);
  EXPECT_EQ(std::tuple(m.NextVariableId, m.Variables[0].Name, m.Variables[1].AsString(), m.Variables[2].ID),
            std::tuple(9, "SCORE", "me", 65535));
  EXPECT_EQ(m.VariableByName("score")->AsInteger(), 12);
}

TEST(ProjectLoader, EventScriptListsLongerAndShorter) {
  std::vector<int32_t> longSlots(20);
  for (int i = 0; i < 20; ++i) longSlots[i] = 100 + i;
  auto r = LoadStream(Magic().section(652, AnimationSection(2, [&](ByteBuilder& b) {
    Animation(b, 1, "Long", {}, longSlots);
    Animation(b, 2, "Short", {}, {5, 6});
  })).end());
  ASSERT_EQ(r.error, "");
  const auto& a = r.model->Animations;
  EXPECT_EQ(std::tuple(a[0].EventScripts[14], a[1].Name, a[1].EventScripts[1], a[1].EventScripts[2]),
            std::tuple(114, "Short", 6, -1));
}

// ---- image variants ----

TEST(ProjectLoader, AnimationsThatMirrorShareOneCopy) {
  // Script 2 mirrors through a call of script 1.
  auto stream = Magic().section(140, ScriptSection(0, {{12}, {20}}, {-1, 1})).section(651, ImageSection(1));
  std::vector<int32_t> slots1(15, -1), slots2(15, -1);
  slots1[0] = 1;
  slots2[4] = 2;
  auto r = LoadStream(stream.section(652, AnimationSection(2, [&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{}, FrameSpec{}}, slots1);
    Animation(b, 2, "B", {FrameSpec{}}, slots2);
  })).end());
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Bitmaps.size(), 2u);
  EXPECT_EQ(std::tuple(m.Bitmaps[0].MirrorLink, m.Bitmaps[0].UseCount), std::tuple(1, 3));
  EXPECT_EQ(std::tuple(m.Bitmaps[1].CopyKind, m.Bitmaps[1].MirrorLink, m.Bitmaps[1].UseCount), std::tuple(1, 0, 3));
  EXPECT_EQ(m.Animations[1].Frames[0].Variants[1].Image, 1);
  // The copy is the left-right mirror: the red pixel of the top row moves to the right.
  auto pixels = m.Bitmaps[1].Pixels();
  EXPECT_EQ(std::tuple(pixels[0], pixels[1]), std::tuple(0xFFFFFFFFu, 0xFFFF0000u));
}

TEST(ProjectLoader, MirrorFromTheSecondFrameOnAndFlipSeparately) {
  auto stream = Magic().section(140, ScriptSection(0, {{12}, {11}, {}})).section(651, ImageSection(2));
  auto r = LoadStream(stream.section(652, OneAnimation({FrameSpec{.image = 0, .scriptId = 3},
      FrameSpec{.image = 1, .scriptId = 1}, FrameSpec{.image = 0}, FrameSpec{.image = 1, .scriptId = 2}})).end());
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  const auto& frames = m.Animations[0].Frames;
  EXPECT_EQ(std::tuple(frames[0].HasVariant(1), frames[1].HasVariant(1), frames[2].HasVariant(1), frames[2].HasVariant(2),
                       frames[3].HasVariant(2)), std::tuple(false, true, true, false, true));
  ASSERT_EQ(m.Bitmaps.size(), 5u);  // 2 loaded, mirror of 1, mirror of 0, flip of 1
  EXPECT_EQ(std::tuple(m.Bitmaps[4].CopyKind, m.Bitmaps[1].FlipLink), std::tuple(2, 4));
  auto flipped = m.Bitmaps[4].Pixels();  // the top row of the flip is the bottom row
  EXPECT_EQ(std::tuple(flipped[0], flipped[1]), std::tuple(0xFFFFFFFFu, 0xFFFF0000u));
}

TEST(ProjectLoader, ScriptsCallingEachOtherEndTheSearch) {
  auto stream = Magic().section(140, ScriptSection(0, {{20}, {20, 20}, {20}}, {2, 1, 3}));
  stream.section(651, ImageSection(1)).section(652, OneAnimation({FrameSpec{.scriptId = 1}, FrameSpec{.scriptId = 3}}));
  auto r = LoadStream(stream.end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Bitmaps.size(), 1u);
}

// ---- sounds, frame data and outlines ----

TEST(ProjectLoader, SoundReferencesOutsideTheListAreRemoved) {
  auto stream = Magic().section(651, ImageSection(1));
  stream.section(652, OneAnimation({FrameSpec{.sounds = {{0, 1}, {1, 1}, {-3, 1}, {0, 4}}}}));
  auto r = LoadStream(stream.section(129, OneSound({1})).end());
  ASSERT_EQ(r.error, "");
  const auto& sounds = r.model->Animations[0].Frames[0].Sounds;
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[1].PlayMode, 4);
}

TEST(ProjectLoader, OutlinesAreBuiltWhenPreparedAndRepeatedOnesMarkedSameShape) {
  const uint32_t white = 0xFFFFFF;
  std::vector<uint8_t> stored = ByteBuilder().u16(0).u16(0).u16(2).bytes();
  auto stream = Magic().section(651, ImageSection(2));
  auto r = LoadStream(stream.section(652, OneAnimation({FrameSpec{.image = 0, .transparent = true, .color = white},
      FrameSpec{.image = 1, .transparent = true, .color = white}, FrameSpec{.image = 0},
      FrameSpec{.image = 0, .transparent = true, .color = white, .region = stored}})).end());
  ASSERT_EQ(r.error, "");
  EXPECT_TRUE(r.model->Animations[0].Frames[0].Variants[0].OutlinePending);
  r.model->PrepareAllOutlines();
  const auto& frames = r.model->Animations[0].Frames;
  EXPECT_EQ(frames[0].Variants[0].Region, ByteBuilder().u16(0).u16(0).u16(1).u16(1).u16(1).u16(2).bytes());
  EXPECT_EQ(std::tuple(frames[0].Variants[0].FirstX, frames[0].Variants[0].SameShape), std::tuple(0, false));
  EXPECT_EQ(std::tuple(frames[1].Variants[0].Region.empty(), frames[1].Variants[0].SameShape), std::tuple(true, true));
  // Frame 2 has no transparent colour; frame 3 keeps its stored outline.
  EXPECT_EQ(std::tuple(frames[2].Variants[0].Region.empty(), frames[2].Variants[0].FirstX), std::tuple(true, 0));
  EXPECT_EQ(std::tuple(frames[3].Variants[0].Region, frames[3].RegionStored), std::tuple(stored, true));
}

TEST(ProjectLoader, PackedImagesStayUndecodedAtLoadAndDecodeForTheirOutline) {
  // One 2x1 packed image: an opaque blue pixel and a transparent one.
  auto stream = Magic().section(651, ByteBuilder().compact(1).raw(PackedEntry(2, 1, {0xFF0000FF, 0})));
  auto r = LoadStream(stream.section(652, OneAnimation({FrameSpec{.transparent = true, .color = 0}})).end());
  ASSERT_EQ(r.error, "");
  auto& image = r.model->Bitmaps[0];
  EXPECT_FALSE(image.Decoded());
  r.model->PrepareOutline(r.model->Animations[0].Frames[0], 0);
  // Black (the transparent colour) is opaque black 0xFF000000; both pixels differ from it.
  EXPECT_EQ(r.model->Animations[0].Frames[0].Variants[0].Region, ByteBuilder().u16(0).u16(0).u16(2).bytes());
  EXPECT_EQ(std::tuple(image.Pixels()[0], image.Pixels()[1]), std::tuple(0xFF0000FFu, 0x00000000u));
  EXPECT_EQ(r.model->Animations[0].Param(3), 0);
}
