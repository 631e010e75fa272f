// Damaged and hostile project streams: every failure is a clean error, what was read before it
// stays, and nothing reads outside the data.
#include <gtest/gtest.h>

#include "LoaderFixtures.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using namespace kpf::test;

namespace {

ByteBuilder WithScripts(int32_t next) { return Magic().section(140, ByteBuilder().i32(next).i32(0)); }

}  // namespace

TEST(ProjectHostile, SectionLengthBeyondTheStream) {
  // A length past the end, and a stream that ends without the end section: what came before
  // stays and the load still finishes.
  for (auto stream : {WithScripts(3).u16(135).i32(1000).i32(0), WithScripts(3)}) {
    auto r = LoadStream(stream);
    EXPECT_EQ(r.error, "Stream read error");
    EXPECT_EQ(r.model->NextScriptId, 3);
    EXPECT_EQ(r.model->Variables.size(), kSystemVariableCount);
  }
}

TEST(ProjectHostile, NegativeSectionLength) {
  EXPECT_EQ(LoadStream(WithScripts(3).u16(141).i32(-4).end()).error, "Stream read error");
}

TEST(ProjectHostile, BodyThatReadsPastItsLengthFails) {
  // Play list section claiming one list but cut after the name; the next section's bytes must
  // not be taken as the rest of the list.
  auto stream = WithScripts(3).section(135, ByteBuilder().i32(1).nul("Cut")).section(131, ByteBuilder().i32(0)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "Stream read error");
  EXPECT_TRUE(r.model->PlayLists.empty());
}

TEST(ProjectHostile, HugeAnimationCountFailsFast) {
  EXPECT_EQ(LoadStream(Magic().section(652, ByteBuilder().compact(0x7fffffff).i32(0)).end()).error, "Stream read error");
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
  Action(body, "Big", 20, 1, ByteBuilder().raw(std::vector<uint8_t>(65537, 0)));
  EXPECT_EQ(LoadStream(Magic().section(140, body).end()).error, "Stream read error");
}

TEST(ProjectHostile, SecondImageSectionIsAnError) {
  auto stream = Magic().section(651, ImageSection(1)).section(651, ImageSection(1)).end();
  auto r = LoadStream(stream);
  EXPECT_EQ(r.error, "Duplicate frame image section");
  ASSERT_EQ(r.model->Bitmaps.size(), 1u);
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
  auto body = AnimationSection(2, [](ByteBuilder& b) {
    Animation(b, 1, "Good", {FrameSpec{}});
    Animation(b, 2, "Bad", {FrameSpec{.image = 5}});
  });
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

// An animation without frames; the parameter block follows a non-zero move mode.
ByteBuilder AnimationWithBlocks(uint8_t moveMode, const ByteBuilder& params, uint8_t extraPresent, const ByteBuilder& extra) {
  ByteBuilder body;
  body.compact(1).i32(1).shortString("M").u16(1).u16(1).u16(0).u16(1).u8(255).shortString("").shortString("");
  body.u8(moveMode);
  if (moveMode) body.sized(params.bytes());
  body.u8(extraPresent);
  if (extraPresent) body.sized(extra.bytes());
  return body.i32(0).i32(0).i32(0);
}

TEST(ProjectHostile, MoveParametersWithBadEntries) {
  auto body = AnimationWithBlocks(3, ByteBuilder().u8(1).i32(4).u8(9).i32(5).u8(1).i32(6), 0, {});
  auto r = LoadStream(Magic().section(652, body).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Animations[0].Params, (std::vector<int32_t>{4}));
}

TEST(ProjectHostile, CursorIndexOutsideTheCursorListIsKept) {
  auto r = LoadStream(Magic().section(652, AnimationWithBlocks(0, {}, 1, ByteBuilder().u8(200))).end());
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
  // Sounds are never read from image bytes.
  EXPECT_EQ(std::vector<uint8_t>(r.model->Sounds[0].Data.begin(), r.model->Sounds[0].Data.end()), (std::vector<uint8_t>{7, 8}));
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
  auto r = LoadStream(Magic().section(140, scripts).section(651, ImageSection(1)).section(652, OneAnimation({FrameSpec{}}, slots)).end());
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
    auto pixels = image.Pixels();
    EXPECT_EQ(std::vector<uint32_t>(pixels.begin(), pixels.end()), (std::vector<uint32_t>{0xFFFF0000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF0000}));
  }
  ASSERT_EQ(r.model->Sounds.size(), 1u);
  EXPECT_EQ(std::vector<uint8_t>(r.model->Sounds[0].Data.begin(), r.model->Sounds[0].Data.end()), (std::vector<uint8_t>{7, 8, 9}));
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
