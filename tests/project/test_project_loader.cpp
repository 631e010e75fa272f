// Loading of hand-assembled project streams: each section, the documented edge cases, image
// variants, sound references, frame data and outlines.
#include <gtest/gtest.h>

#include "LoaderFixtures.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using namespace kpf::test;

namespace {

ByteBuilder AnimationSection(const std::function<void(ByteBuilder&)>& animations, int count) {
  ByteBuilder body;
  body.compact(count);
  animations(body);
  return body.i32(0);
}

}  // namespace

TEST(ProjectLoader, MagicAndEndGiveAnEmptyProject) {
  auto r = LoadStream(Magic().end());
  EXPECT_EQ(r.error, "");
  EXPECT_TRUE(r.model->Scripts.empty());
  EXPECT_TRUE(r.model->Animations.empty());
  EXPECT_EQ(r.model->Variables.size(), kSystemVariableCount);
  EXPECT_EQ(r.model->FrameData.Size(), 0u);
}

TEST(ProjectLoader, WrongMagicLoadsNothingAndRaisesNothing) {
  ByteBuilder stream;
  stream.nul("KPF1").section(140, ByteBuilder().i32(9).i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.model->NextScriptId, 0);
  EXPECT_TRUE(r.model->Scripts.empty());
}

TEST(ProjectLoader, ReservedSectionIsSkippedByLength) {
  auto stream = Magic();
  stream.section(141, ByteBuilder().i32(1).i32(2).i32(3));
  stream.section(140, ByteBuilder().i32(77).i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.model->NextScriptId, 77);
}

TEST(ProjectLoader, ScriptsAndTheEmptyActionRule) {
  ByteBuilder body;
  body.i32(10).i32(2);
  body.i32(3).nul("Start").nul("runs first").i32(1).i32(0).i32(4).i32(3);
  Action(body, "Play", 5, 0);
  Action(body, "Call", 20, 0, ByteBuilder().i32(0).i32(9));
  Action(body, "Hide", 7, 0x10001);
  body.i32(4).nul("Other").nul("").i32(7).i32(8).i32(-1).i32(0);
  auto r = LoadStream(Magic().section(140, body).end());
  ASSERT_EQ(r.error, "");
  const auto& m = *r.model;
  EXPECT_EQ(m.NextScriptId, 10);
  ASSERT_EQ(m.Scripts.size(), 2u);
  const auto& s = m.Scripts[0];
  EXPECT_EQ(s.Id, 3);
  EXPECT_EQ(s.Name, "Start");
  EXPECT_EQ(s.Description, "runs first");
  EXPECT_EQ(s.Trigger, 4);
  ASSERT_EQ(s.Actions.size(), 3u);
  EXPECT_EQ(s.Actions[0].ActionType, -1);
  EXPECT_EQ(s.Actions[0].Name, "[none]");
  EXPECT_EQ(s.Actions[1].ActionType, 20);
  EXPECT_EQ(s.Actions[1].Name, "Call");
  EXPECT_EQ(s.Actions[1].ParamInt, (std::vector<int32_t>{9}));  // kind 0 with value 9
  EXPECT_EQ(s.Actions[2].ActionType, 7);
  EXPECT_EQ(m.Scripts[1].Reserved1, 7);
  EXPECT_EQ(m.Scripts[1].Reserved2, 8);
  EXPECT_EQ(m.ScriptById(4), &m.Scripts[1]);
  EXPECT_EQ(m.ScriptById(-1), nullptr);
}

TEST(ProjectLoader, AnimationFieldsFramesAndSounds) {
  auto stream = Magic();
  stream.section(140, ByteBuilder().i32(0).i32(0));
  stream.section(651, ImageSection(1));
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
  anims.i32(0);
  stream.section(652, anims);
  ByteBuilder sounds;
  sounds.i32(2).u16(101).nul("hello.wav").sized(ByteBuilder().text("RIFFdata").bytes());
  sounds.u16(104).nul("tune.mid").sized(ByteBuilder().text("MThd").bytes());
  stream.section(129, sounds).end();

  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Animations.size(), 1u);
  const auto& a = m.Animations[0];
  EXPECT_EQ(a.Id, 42);
  EXPECT_EQ(a.Name, "Walk");
  EXPECT_EQ(a.Height, 120);
  EXPECT_EQ(a.Width, 64);
  EXPECT_EQ(a.EventIndex, 3);
  EXPECT_EQ(a.RepeatCount, 0);
  EXPECT_EQ(a.Option, 200);
  EXPECT_EQ(a.PosX, "<%A%>");
  EXPECT_EQ(a.MoveMode, 2);
  EXPECT_EQ(a.Params, (std::vector<int32_t>{-5, 7}));
  EXPECT_EQ(a.ExtraByte, 3);
  EXPECT_EQ(a.EventScripts[3], 8);
  ASSERT_EQ(a.Frames.size(), 3u);
  const auto& f = a.Frames[0];
  EXPECT_EQ(f.X, 1);
  EXPECT_EQ(f.Y, 2);
  EXPECT_EQ(f.Duration, 5);
  EXPECT_EQ(f.Variants[0].Image, 0);
  EXPECT_FALSE(f.HasVariant(1));
  ASSERT_EQ(f.Sounds.size(), 2u);
  EXPECT_EQ(f.Sounds[0].SoundIndex, 1);
  EXPECT_EQ(f.Sounds[0].PlayMode, 2);
  EXPECT_EQ(a.Frames[1].Kind, 200);
  EXPECT_EQ(a.Frames[1].Document, "http://example.com");
  EXPECT_EQ(a.Frames[1].Duration, 15);
  EXPECT_EQ(a.Frames[2].Kind, 7);
  EXPECT_EQ(a.Frames[2].ScriptId, 12);
  ASSERT_EQ(a.Frames[2].Sounds.size(), 1u);

  ASSERT_EQ(m.Sounds.size(), 2u);
  EXPECT_EQ(m.Sounds[0].Name, "hello.wav");
  EXPECT_EQ(m.Sounds[1].Kind, 104);
  EXPECT_EQ(std::string(m.Sounds[0].Data.begin(), m.Sounds[0].Data.end()), "RIFFdata");
  EXPECT_EQ(std::string(m.Sounds[1].Data.begin(), m.Sounds[1].Data.end()), "MThd");
  EXPECT_EQ(m.Sounds[1].Size, 4);
  // Image bytes come first in the frame data, the sounds follow in order.
  EXPECT_EQ(m.FrameData.Size(), PaletteImage().size() + 12);
  EXPECT_EQ(m.Sounds[0].Data.data(), m.FrameData.Memory() + PaletteImage().size());
  ASSERT_EQ(m.Bitmaps.size(), 1u);
  EXPECT_EQ(m.Bitmaps[0].Width(), 2);
  EXPECT_EQ(m.Bitmaps[0].UseCount, 1);
  EXPECT_EQ(m.AnimationIndexByName("WALK"), 0);
}

TEST(ProjectLoader, SeventyFramesLoadInOrder) {
  auto stream = Magic();
  stream.section(651, ImageSection(1));
  std::vector<FrameSpec> frames(70);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = FrameSpec{.duration = 3};
  for (size_t i = 0; i < frames.size(); ++i) frames[i].scriptId = static_cast<int32_t>(100 + i);
  stream.section(652, AnimationSection([&](ByteBuilder& b) { Animation(b, 1, "Long", frames); }, 1));
  auto r = LoadStream(stream.end());
  ASSERT_EQ(r.error, "");
  const auto& a = r.model->Animations[0];
  ASSERT_EQ(a.Frames.size(), 70u);
  for (size_t i = 0; i < 70; ++i) {
    EXPECT_EQ(a.Frames[i].Duration, 3);
    EXPECT_EQ(a.Frames[i].ScriptId, static_cast<int32_t>(100 + i));
  }
  EXPECT_EQ(r.model->Bitmaps[0].UseCount, 70);
}

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
  auto stream = Magic();
  stream.section(140, ByteBuilder().i32(20).i32(0));
  ByteBuilder menus;
  menus.i32(3);
  menus.nul("Say hello").i32(3);
  for (int i = 0; i < 3; ++i) Action(menus, "Act", 30 + i, 1);
  menus.nul("Nothing").i32(0);
  menus.nul("Bye").i32(1);
  Action(menus, "Act", 40, 1);
  stream.section(132, menus);
  ByteBuilder keys;
  keys.i32(3);
  for (const char* key : {"k1", "k2", "k3"}) keys.nul(key).sized(ByteBuilder().text("BM").bytes()).i32(2).u16(0);
  stream.section(133, keys);
  ByteBuilder flags;
  flags.i32(3).i32(1).i32(0xFF00000F).i32(-1).i32(3).i32(0).i32(-1).i32(2).i32(5).i32(99);
  stream.section(137, flags).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Scripts.size(), 2u);
  EXPECT_EQ(m.Scripts[0].Id, 20);
  EXPECT_EQ(m.Scripts[0].Name, "Script-20");
  EXPECT_EQ(m.Scripts[0].Description,
            "Script that executed when user click on popup menu `Say hello`");
  EXPECT_EQ(m.Scripts[0].Actions.size(), 3u);
  EXPECT_EQ(m.Scripts[1].Name, "Script-21");
  EXPECT_EQ(m.NextScriptId, 22);
  ASSERT_EQ(m.MenuEntries.size(), 3u);
  EXPECT_EQ(m.MenuEntries[0].ItemKey, "k1");
  EXPECT_EQ(m.MenuEntries[0].Image.size(), 2u);
  EXPECT_EQ(m.MenuEntries[0].ImageColor, static_cast<int32_t>(0xFF00000F));
  EXPECT_EQ(m.MenuEntries[0].ScriptId, -1);  // tag 137 overwrites
  EXPECT_EQ(m.MenuEntries[2].ScriptId, 99);
  EXPECT_EQ(m.MenuEntries[1].Flags, 3);
}

TEST(ProjectLoader, MenuExtrasWithAnotherCountAreSkipped) {
  auto stream = Magic();
  ByteBuilder menus;
  menus.i32(1).nul("One").i32(0);
  stream.section(132, menus);
  stream.section(133, ByteBuilder().i32(2).nul("a").i32(0).i32(0).nul("b").i32(0).i32(0));
  stream.section(137, ByteBuilder().i32(0));
  stream.section(140, ByteBuilder().i32(5).i32(0)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->MenuEntries[0].ItemKey, "");
  EXPECT_EQ(r.model->NextScriptId, 5);
}

TEST(ProjectLoader, OptionFlagsCaptionsPlayListsDialogsVariables) {
  auto stream = Magic();
  stream.section(131, ByteBuilder().i32(3).raw({0, 0, 1}));
  ByteBuilder captions;
  captions.i32(8);
  for (const char* c : {"Info", "Quit", "Quiet", "Autostart", "Away", "Top", "Remove", "Back"})
    captions.nul(c);
  stream.section(144, captions);
  ByteBuilder lists;
  lists.i32(1).nul("Dance").nul("txt").u8(1).u16(300).i32(2).nul("A").nul("B").i32(0);
  stream.section(135, lists);
  stream.section(135, ByteBuilder().i32(1).nul("Second").nul("").u8(0).u16(0).i32(0).i32(0));
  ByteBuilder dialogs;
  dialogs.i32(4).i32(1).i32(3).nul("Ask").sized(ByteBuilder().raw({1, 2, 3}).bytes());
  stream.section(139, dialogs);
  ByteBuilder vars;
  vars.i32(9).compact(2);
  vars.i32(1).shortString("score").u8(0).i32(12);
  vars.i32(2).shortString("who").u8(1).nul("me");
  stream.section(399, vars);
  stream.section(655, ByteBuilder().i32(1).i32(0).i32(4).i32(1).i32(5).i32(2).i32(6).i32(0)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  EXPECT_FALSE(m.OptionFlag(0));
  EXPECT_FALSE(m.OptionFlag(1));
  EXPECT_TRUE(m.OptionFlag(2));
  for (int i : {3, 4, 9, 11, 100}) EXPECT_FALSE(m.OptionFlag(i)) << i;
  EXPECT_TRUE(m.OptionFlag(10));
  EXPECT_EQ(m.MenuCaptions.size(), 8u);
  EXPECT_EQ(m.MenuCaptions[7], "Back");
  ASSERT_EQ(m.PlayLists.size(), 2u);
  EXPECT_EQ(m.PlayLists[0].Items, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(m.PlayLists[0].Value, 300);
  EXPECT_EQ(m.PlayLists[0].Mode, 1);
  EXPECT_EQ(m.NextDialogId, 4);
  ASSERT_EQ(m.Dialogs.size(), 1u);
  EXPECT_EQ(m.Dialogs[0].Name, "Ask");
  EXPECT_EQ(m.Dialogs[0].Definition.size(), 3u);
  EXPECT_EQ(m.NextVariableId, 9);
  ASSERT_EQ(m.Variables.size(), 2 + kSystemVariableCount);
  EXPECT_EQ(m.Variables[0].Name, "SCORE");
  EXPECT_EQ(m.Variables[1].AsString(), "me");
  EXPECT_EQ(m.Variables[2].ID, 65535);
  EXPECT_EQ(m.VariableByName("score")->AsInteger(), 12);
  ASSERT_EQ(m.Cursors.size(), 1u);
  EXPECT_EQ(m.Cursors[0].TransparentColor, 6);
}

TEST(ProjectLoader, OptionFlagsDefaultWithoutSection) {
  ProjectModel m;
  for (int i = 0; i < 12; ++i) EXPECT_EQ(m.OptionFlag(i), i == 1 || i == 2 || i == 10) << i;
}

TEST(ProjectLoader, EventScriptListsLongerAndShorter) {
  auto stream = Magic();
  std::vector<int32_t> longSlots(20);
  for (int i = 0; i < 20; ++i) longSlots[i] = 100 + i;
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "Long", {}, longSlots);
    Animation(b, 2, "Short", {}, {5, 6});
  }, 2)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  const auto& a = r.model->Animations;
  EXPECT_EQ(a[0].EventScripts[14], 114);
  EXPECT_EQ(a[1].Name, "Short");
  EXPECT_EQ(a[1].EventScripts[1], 6);
  EXPECT_EQ(a[1].EventScripts[2], -1);
}

TEST(ProjectLoader, SecondScriptSectionReplacesTheFirst) {
  auto stream = Magic();
  ByteBuilder first;
  first.i32(1).i32(1);
  Script(first, 1, {});
  ByteBuilder second;
  second.i32(2).i32(1);
  Script(second, 2, {});
  stream.section(140, first).section(140, second).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.model->Scripts.size(), 1u);
  EXPECT_EQ(r.model->Scripts[0].Id, 2);
}

// ---- image variants ----

TEST(ProjectLoader, AnimationsThatMirrorShareOneCopy) {
  auto stream = Magic();
  ByteBuilder scripts;
  scripts.i32(0).i32(2);
  Script(scripts, 1, {12});
  Script(scripts, 2, {20}, 1);  // mirrors through a call
  stream.section(140, scripts).section(651, ImageSection(1));
  std::vector<int32_t> slots1(15, -1), slots2(15, -1);
  slots1[0] = 1;
  slots2[4] = 2;
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{}, FrameSpec{}}, slots1);
    Animation(b, 2, "B", {FrameSpec{}}, slots2);
  }, 2)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  ASSERT_EQ(m.Bitmaps.size(), 2u);
  EXPECT_EQ(m.Bitmaps[0].MirrorLink, 1);
  EXPECT_EQ(m.Bitmaps[1].CopyKind, 1);
  EXPECT_EQ(m.Bitmaps[1].MirrorLink, 0);
  EXPECT_EQ(m.Bitmaps[1].UseCount, 3);
  EXPECT_EQ(m.Bitmaps[0].UseCount, 3);
  EXPECT_EQ(m.Animations[1].Frames[0].Variants[1].Image, 1);
  // The copy is the left-right mirror: the red pixel of the top row moves to the right.
  auto pixels = m.Bitmaps[1].Pixels();
  EXPECT_EQ(pixels[1], 0xFFFF0000u);
  EXPECT_EQ(pixels[0], 0xFFFFFFFFu);
}

TEST(ProjectLoader, MirrorFromTheSecondFrameOnAndFlipSeparately) {
  auto stream = Magic();
  ByteBuilder scripts;
  scripts.i32(0).i32(3);
  Script(scripts, 1, {12});
  Script(scripts, 2, {11});
  Script(scripts, 3, {});
  stream.section(140, scripts).section(651, ImageSection(2));
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{.image = 0, .scriptId = 3}, FrameSpec{.image = 1, .scriptId = 1},
                          FrameSpec{.image = 0}, FrameSpec{.image = 1, .scriptId = 2}});
  }, 1)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& m = *r.model;
  const auto& frames = m.Animations[0].Frames;
  EXPECT_FALSE(frames[0].HasVariant(1));
  EXPECT_TRUE(frames[1].HasVariant(1));
  EXPECT_TRUE(frames[2].HasVariant(1));
  EXPECT_FALSE(frames[2].HasVariant(2));
  EXPECT_TRUE(frames[3].HasVariant(2));
  ASSERT_EQ(m.Bitmaps.size(), 5u);  // 2 loaded, mirror of 1, mirror of 0, flip of 1
  EXPECT_EQ(m.Bitmaps[4].CopyKind, 2);
  EXPECT_EQ(m.Bitmaps[1].FlipLink, 4);
  auto flipped = m.Bitmaps[4].Pixels();
  EXPECT_EQ(flipped[0], 0xFFFFFFFFu);  // the top row of the flip is the bottom row
  EXPECT_EQ(flipped[1], 0xFFFF0000u);
}

TEST(ProjectLoader, ScriptsCallingEachOtherEndTheSearch) {
  auto stream = Magic();
  ByteBuilder scripts;
  scripts.i32(0).i32(3);
  Script(scripts, 1, {20}, 2);
  Script(scripts, 2, {20, 20}, 1);
  Script(scripts, 3, {20}, 3);
  stream.section(140, scripts).section(651, ImageSection(1));
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{.scriptId = 1}, FrameSpec{.scriptId = 3}});
  }, 1)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Bitmaps.size(), 1u);
}

// ---- sounds and frame data ----

TEST(ProjectLoader, SoundReferencesOutsideTheListAreRemoved) {
  auto stream = Magic();
  stream.section(651, ImageSection(1));
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{.sounds = {{0, 1}, {1, 1}, {-3, 1}, {0, 4}}}});
  }, 1));
  stream.section(129, ByteBuilder().i32(1).u16(101).nul("a.wav").sized(ByteBuilder().u8(1).bytes())).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  const auto& sounds = r.model->Animations[0].Frames[0].Sounds;
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[1].PlayMode, 4);
}

TEST(ProjectLoader, ImagesWithoutAnimationsStillMapTheFrameData) {
  auto r = LoadStream(Magic().section(651, ImageSection(1)).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->FrameData.Size(), PaletteImage().size());
  EXPECT_EQ(r.model->Bitmaps[0].Height(), 2);
}

// ---- outlines ----

TEST(ProjectLoader, OutlinesAreBuiltAndRepeatedOnesMarkedSameShape) {
  auto stream = Magic().section(651, ImageSection(2));
  const uint32_t white = 0xFFFFFF;
  std::vector<uint8_t> stored = ByteBuilder().u16(0).u16(0).u16(2).bytes();
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{.image = 0, .transparent = true, .color = white},
                          FrameSpec{.image = 1, .transparent = true, .color = white},
                          FrameSpec{.image = 0},
                          FrameSpec{.image = 0, .transparent = true, .color = white, .region = stored}});
  }, 1)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  const auto& frames = r.model->Animations[0].Frames;
  std::vector<uint8_t> expected = ByteBuilder().u16(0).u16(0).u16(1).u16(1).u16(1).u16(2).bytes();
  EXPECT_EQ(frames[0].Variants[0].Region, expected);
  EXPECT_EQ(frames[0].Variants[0].FirstX, 0);
  EXPECT_FALSE(frames[0].Variants[0].SameShape);
  EXPECT_TRUE(frames[1].Variants[0].Region.empty());
  EXPECT_TRUE(frames[1].Variants[0].SameShape);
  EXPECT_TRUE(frames[2].Variants[0].Region.empty());  // no transparent colour
  EXPECT_EQ(frames[2].Variants[0].FirstX, 0);
  EXPECT_EQ(frames[3].Variants[0].Region, stored);    // stored outline kept
  EXPECT_TRUE(frames[3].RegionStored);
}

TEST(ProjectLoader, PackedImagesDecodeAndOutlinesLeaveThemUndecoded) {
  // One 2x1 packed image: an opaque blue pixel and a transparent one.
  std::vector<uint8_t> pixels = {255, 0, 0, 255, 0, 0, 0, 0};
  ByteBuilder body;
  body.compact(1).i32(2).i32(1).u8(0).sized(Deflate(pixels));
  auto stream = Magic().section(651, body);
  stream.section(652, AnimationSection([&](ByteBuilder& b) {
    Animation(b, 1, "A", {FrameSpec{.transparent = true, .color = 0}});
  }, 1)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  auto& image = r.model->Bitmaps[0];
  EXPECT_FALSE(image.Decoded());
  const auto& frame = r.model->Animations[0].Frames[0];
  // Black (the transparent colour) is opaque black 0xFF000000; both pixels differ from it.
  EXPECT_EQ(frame.Variants[0].Region, ByteBuilder().u16(0).u16(0).u16(2).bytes());
  EXPECT_EQ(image.Pixels()[0], 0xFF0000FFu);
  EXPECT_EQ(image.Pixels()[1], 0x00000000u);
  EXPECT_EQ(r.model->Animations[0].Param(3), 0);
}

TEST(ProjectLoader, WrongMagicStillRegistersTheSystemVariables) {
  auto r = LoadStream(ByteBuilder().nul("XXXX").end());
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.model->Variables.size(), kSystemVariableCount);
}
