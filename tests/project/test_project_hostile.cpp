// Damaged and hostile project streams: every failure is a clean error, what was read before it
// stays, and nothing reads outside the data.
#include <gtest/gtest.h>

#include "LoaderFixtures.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using namespace kpf::test;

namespace {

ByteBuilder OneAnimation(const std::vector<FrameSpec>& frames) {
  ByteBuilder body;
  body.compact(1);
  Animation(body, 1, "A", frames);
  return body.i32(0);
}

ByteBuilder WithScripts(int32_t next) { return Magic().section(140, ByteBuilder().i32(next).i32(0)); }

}  // namespace

TEST(ProjectHostile, SectionLengthBeyondTheStream) {
  auto stream = WithScripts(3);
  stream.u16(135).i32(1000).i32(0);
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "Stream read error");
  EXPECT_EQ(r.model->NextScriptId, 3);
  EXPECT_EQ(r.model->Variables.size(), kSystemVariableCount);  // still finished
}

TEST(ProjectHostile, NegativeSectionLength) {
  auto stream = WithScripts(3);
  stream.u16(141).i32(-4).end();
  EXPECT_EQ(LoadStream(stream).error, "Stream read error");
}

TEST(ProjectHostile, BodyThatReadsPastItsLengthFails) {
  auto stream = WithScripts(3);
  // Play list section claiming one list but cut after the name; the next section's bytes must
  // not be taken as the rest of the list.
  ByteBuilder body;
  body.i32(1).nul("Cut");
  stream.section(135, body).section(131, ByteBuilder().i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "Stream read error");
  EXPECT_TRUE(r.model->PlayLists.empty());
}

TEST(ProjectHostile, MissingEndSectionIsAReadError) {
  auto r = LoadStream(WithScripts(3));
  EXPECT_EQ(r.error, "Stream read error");
  EXPECT_EQ(r.model->NextScriptId, 3);
}

TEST(ProjectHostile, HugeAnimationCountFailsFast) {
  auto stream = Magic();
  stream.section(652, ByteBuilder().compact(0x7fffffff).i32(0)).end();
  EXPECT_EQ(LoadStream(stream).error, "Stream read error");
}

TEST(ProjectHostile, CountsBeyondTheLimits) {
  struct Case { uint16_t tag; ByteBuilder body; };
  std::vector<Case> cases;
  // 70000 variables would fit the bytes but exceed the list limit.
  ByteBuilder vars;
  vars.i32(0).compact(70000);
  for (int i = 0; i < 70000; ++i) vars.i32(i).shortString("").u8(0).i32(0);
  cases.push_back({399, vars});
  ByteBuilder menus;
  menus.i32(4097);
  for (int i = 0; i < 4097; ++i) menus.nul("").i32(0);
  cases.push_back({132, menus});
  ByteBuilder flags;
  flags.i32(5000);
  for (int i = 0; i < 5000; ++i) flags.u8(1);
  cases.push_back({131, flags});
  cases.push_back({140, ByteBuilder().i32(0).i32(-1)});
  cases.push_back({129, ByteBuilder().i32(0x10000000)});
  cases.push_back({139, ByteBuilder().i32(0).i32(1000).i32(1)});
  cases.push_back({135, ByteBuilder().i32(1).nul("x").nul("").u8(0).u16(0).i32(1 << 30)});
  for (auto& c : cases) {
    auto r = LoadStream(Magic().section(c.tag, c.body).end());
    EXPECT_EQ(r.error, "Stream read error") << c.tag;
  }
}

TEST(ProjectHostile, ParameterBlockOver64KiB) {
  ByteBuilder body;
  body.i32(0).i32(1).i32(1).nul("").nul("").i32(1).i32(0).i32(0).i32(1);
  std::vector<uint8_t> big(65537, 0);
  Action(body, "Big", 20, 1, ByteBuilder().raw(big));
  EXPECT_EQ(LoadStream(Magic().section(140, body).end()).error, "Stream read error");
}

TEST(ProjectHostile, SecondImageSectionIsAnError) {
  auto stream = Magic().section(651, ImageSection(1)).section(651, ImageSection(1)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "Duplicate frame image section");
  EXPECT_EQ(r.model->Bitmaps.size(), 1u);
  EXPECT_EQ(r.model->Bitmaps[0].Width(), 2);  // the first one is still parsed
}

TEST(ProjectHostile, ImageIndexOutsideTheList) {
  for (int32_t index : {-1, 2, 1 << 30}) {
    auto stream = Magic().section(651, ImageSection(2));
    stream.section(652, OneAnimation({FrameSpec{.image = index}})).end();
    auto r = LoadStream(stream);
    EXPECT_EQ(r.error, "Frame image index out of range") << index;
    EXPECT_TRUE(r.model->Animations.empty());
  }
  auto beforeImages = Magic().section(652, OneAnimation({FrameSpec{.image = 0}})).end();
  EXPECT_EQ(LoadStream(beforeImages).error, "Frame image index out of range");
}

TEST(ProjectHostile, EarlierAnimationsStayWhenALaterOneFails) {
  ByteBuilder body;
  body.compact(2);
  Animation(body, 1, "Good", {FrameSpec{}});
  Animation(body, 2, "Bad", {FrameSpec{.image = 5}});
  body.i32(0);
  auto r = LoadStream(Magic().section(651, ImageSection(1)).section(652, body).end());
  EXPECT_FALSE(r.error.empty());
  ASSERT_EQ(r.model->Animations.size(), 1u);
  EXPECT_EQ(r.model->Animations[0].Name, "Good");
}

TEST(ProjectHostile, DamagedStoredOutlinesAreRebuilt) {
  std::vector<std::vector<uint8_t>> damaged = {
      ByteBuilder().u16(0).u16(0).u16(1).u8(0).bytes(),  // partial run
      ByteBuilder().u16(0).u16(5).u16(1).bytes(),         // row outside the picture
      ByteBuilder().u16(0).u16(0).u16(9).bytes(),         // end beyond the width
  };
  for (const auto& region : damaged) {
    auto stream = Magic().section(651, ImageSection(1));
    stream.section(652, OneAnimation({FrameSpec{.transparent = true, .color = 0xFFFFFF, .region = region}})).end();
    auto r = LoadStream(stream);
    ASSERT_EQ(r.error, "");
    const auto& frame = r.model->Animations[0].Frames[0];
    EXPECT_FALSE(frame.RegionStored);
    EXPECT_EQ(frame.Variants[0].Region.size(), 12u);
  }
}

TEST(ProjectHostile, MoveParametersWithBadEntries) {
  ByteBuilder body;
  body.compact(1);
  body.i32(1).shortString("M").u16(1).u16(1).u16(0).u16(1).u8(255).shortString("").shortString("");
  body.u8(3).sized(ByteBuilder().u8(1).i32(4).u8(9).i32(5).u8(1).i32(6).bytes());
  body.u8(0).i32(0).i32(0).i32(0);
  auto r = LoadStream(Magic().section(652, body).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Animations[0].Params, (std::vector<int32_t>{4}));
}

TEST(ProjectHostile, CursorIndexOutsideTheCursorListIsKept) {
  ByteBuilder body;
  body.compact(1);
  body.i32(1).shortString("C").u16(1).u16(1).u16(0).u16(1).u8(255).shortString("").shortString("");
  body.u8(0).u8(1).sized(ByteBuilder().u8(200).bytes()).i32(0).i32(0).i32(0);
  auto r = LoadStream(Magic().section(652, body).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Animations[0].ExtraByte, 200);
}

TEST(ProjectHostile, NotAZlibStream) {
  ProjectModel model;
  std::vector<uint8_t> garbage = {1, 2, 3, 4, 5, 6};
  EXPECT_THROW(LoadProjectStream(garbage, model), EZDecompressionError);
  EXPECT_TRUE(model.Variables.empty());
}

TEST(ProjectHostile, TruncatedImageEntryFailsTheLoadButKeepsTheRest) {
  ByteBuilder body;
  body.compact(2).raw(PaletteImage().bytes()).i32(4).i32(4).u8(1).i32(16);
  auto stream = Magic().section(651, body);
  stream.section(129, ByteBuilder().i32(1).u16(101).nul("s").sized(ByteBuilder().raw({7, 8}).bytes())).end();
  auto r = LoadStream(stream);
  EXPECT_FALSE(r.error.empty());
  EXPECT_EQ(r.model->Bitmaps[0].Width(), 2);
  ASSERT_EQ(r.model->Sounds.size(), 1u);
  EXPECT_EQ(r.model->Sounds[0].Data.size(), 2u);  // sounds never read into image bytes
  EXPECT_EQ(r.model->Sounds[0].Data[0], 7);
}

TEST(ProjectHostile, CursorSectionMustBeReadWithinItsBody) {
  // The collection claims two items but the body holds one; the next section is intact.
  ByteBuilder cursors;
  cursors.i32(2).i32(0).i32(1).i32(1).i32(2).i32(2).i32(3).i32(0).i32(0);
  auto stream = Magic().section(655, cursors).section(140, ByteBuilder().i32(8).i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.propertyErrors.size(), 1u);
  EXPECT_EQ(r.model->NextScriptId, 8);
  EXPECT_EQ(r.model->Cursors.size(), 2u);
}

TEST(ProjectHostile, ShortCallParametersEndTheScriptSearch) {
  // Type-20 actions whose parameter block is too short to hold the called script's id: the
  // search for mirror actions skips them instead of reading past the block.
  ByteBuilder scripts;
  scripts.i32(0).i32(2);
  Script(scripts, 1, {12});  // would mirror if a damaged call reached it
  scripts.i32(2).nul("S2").nul("").i32(1).i32(0).i32(0).i32(4);
  Action(scripts, "A", 20, 1);
  Action(scripts, "A", 20, 1, ByteBuilder().u8(1));
  Action(scripts, "A", 20, 1, ByteBuilder().i32(0));
  Action(scripts, "A", 20, 1, ByteBuilder().i32(0).u16(1).u8(0));
  std::vector<int32_t> slots(15, -1);
  slots[0] = 2;
  auto stream = Magic().section(140, scripts).section(651, ImageSection(1));
  ByteBuilder animations;
  animations.compact(1);
  Animation(animations, 1, "A", {FrameSpec{}}, slots);
  stream.section(652, animations.i32(0)).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.model->Scripts.size(), 2u);
  EXPECT_EQ(r.model->Scripts[1].Actions.size(), 4u);
  EXPECT_EQ(r.model->Bitmaps.size(), 1u);  // no mirrored copy was made
}

TEST(ProjectHostile, SoundsBeforeImagesKeepEachTheirOwnBytes) {
  // The sound section comes first, so the frame data starts with sound bytes: the images must
  // still be parsed from their own section's bytes and the sounds keep theirs.
  auto stream = Magic();
  stream.section(129, ByteBuilder().i32(1).u16(101).nul("s").sized(ByteBuilder().raw({7, 8, 9}).bytes()));
  stream.section(651, ImageSection(2));
  stream.section(652, OneAnimation({FrameSpec{.image = 1, .sounds = {{0, 1}}}})).end();
  auto r = LoadStream(stream);
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.model->Bitmaps.size(), 2u);
  for (auto& image : r.model->Bitmaps) {
    EXPECT_EQ(image.Width(), 2);
    auto pixels = image.Pixels();
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[0], 0xFFFF0000u);
    EXPECT_EQ(pixels[1], 0xFFFFFFFFu);
  }
  ASSERT_EQ(r.model->Sounds.size(), 1u);
  ASSERT_EQ(r.model->Sounds[0].Data.size(), 3u);
  EXPECT_EQ(r.model->Sounds[0].Data[0], 7);
  EXPECT_EQ(r.model->Sounds[0].Data[2], 9);
  ASSERT_EQ(r.model->Animations[0].Frames[0].Sounds.size(), 1u);
}

TEST(ProjectHostile, OnePropertyMessagePerLoad) {
  // Two damaged cursor collections (a name index below -1, then a cut item): the second
  // damage is not reported again, and the sections after them still load.
  ByteBuilder badName;
  badName.i32(1).i32(-2).i32(0);
  ByteBuilder cutItem;
  cutItem.i32(2).i32(0).i32(1);
  auto stream = Magic().section(655, badName).section(655, cutItem).section(140, ByteBuilder().i32(9).i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.propertyErrors.size(), 1u);
  EXPECT_EQ(r.model->NextScriptId, 9);
}
