// Damaged and hostile project streams: every failure is a clean error, what was read before it
// stays, and nothing reads outside the data.
#include <gtest/gtest.h>

#include "LoaderFixtures.hpp"
#include "project/SystemVariables.hpp"

using namespace kpf::project;
using namespace kpf::test;

namespace {

ByteBuilder WithScripts(int32_t next) { return Magic().section(140, ByteBuilder().i32(next).i32(0)); }
ByteBuilder OneSection(uint16_t tag, const ByteBuilder& body) { return Magic().section(tag, body).end(); }

// A section body of `count` copies of `item` after the count.
ByteBuilder Repeated(ByteBuilder head, int count, const ByteBuilder& item) {
  for (int i = 0; i < count; ++i) head.raw(item.bytes());
  return head;
}

// A good animation, then one showing image `index`, after two images.
ByteBuilder SecondAnimationShows(int32_t index) {
  return Magic().section(651, ImageSection(2)).section(652, AnimationSection(2, [&](ByteBuilder& b) {
    Animation(b, 1, "Good", {FrameSpec{}});
    Animation(b, 2, "Bad", {FrameSpec{.image = index}});
  })).end();
}

}  // namespace

TEST(ProjectHostile, DamagedStreamsEndTheLoadWithTheirErrorAndKeepWhatCameBefore) {
  using Check = std::function<void(const ProjectModel&)>;
  const Check scriptsKept = [](const ProjectModel& m) {
    EXPECT_EQ(m.NextScriptId, 3);
    EXPECT_EQ(m.Variables.size(), kSystemVariableCount);
  };
  const Check goodAnimationKept = [](const ProjectModel& m) {
    ASSERT_EQ(m.Animations.size(), 1u);
    EXPECT_EQ(m.Animations[0].Name, "Good");
  };
  ByteBuilder cutImages;
  cutImages.compact(2).raw(PaletteImage().bytes()).i32(4).i32(4).u8(1).i32(16);
  auto truncatedImage = Magic().section(651, cutImages).section(129, OneSound({7, 8})).end();
  ByteBuilder bigParams;
  bigParams.i32(0).i32(1).i32(1).nul("").nul("").i32(1).i32(0).i32(0).i32(1);
  Action(bigParams, "Big", 20, 1, ByteBuilder().raw(std::vector<uint8_t>(65537, 0)));
  struct Case { const char* name; ByteBuilder stream; const char* error = "Stream read error"; Check check = {}; };
  const Case cases[] = {
      {"section length beyond the stream", WithScripts(3).u16(135).i32(1000).i32(0), "Stream read error", scriptsKept},
      {"no end section", WithScripts(3), "Stream read error", scriptsKept},
      {"negative section length", WithScripts(3).u16(141).i32(-4).end(), "Stream read error", scriptsKept},
      // A play list cut after its name: the next section's bytes are not taken as the rest.
      {"body reading past its length",
       WithScripts(3).section(135, ByteBuilder().i32(1).nul("Cut")).section(131, ByteBuilder().i32(0)).end(),
       "Stream read error", [](const ProjectModel& m) { EXPECT_TRUE(m.PlayLists.empty()); }},
      {"huge animation count", OneSection(652, ByteBuilder().compact(0x7fffffff).i32(0))},
      // 70000 variables would fit the bytes but exceed the list limit; menus and flags stop at 4096.
      {"70000 variables",
       OneSection(399, Repeated(ByteBuilder().i32(0).compact(70000), 70000, ByteBuilder().i32(1).u16(0).i32(0)))},
      {"4097 menus", OneSection(132, Repeated(ByteBuilder().i32(4097), 4097, ByteBuilder().u8(0).i32(0)))},
      {"5000 flags", OneSection(131, Repeated(ByteBuilder().i32(5000), 5000, ByteBuilder().u8(1)))},
      {"negative script count", OneSection(140, ByteBuilder().i32(0).i32(-1))},
      {"sound count", OneSection(129, ByteBuilder().i32(0x10000000))},
      // Each section alone is within the limit; together they are one sound over it.
      {"sound sections over the limit together",
       Magic().section(129, Repeated(ByteBuilder().i32(65535), 65535, ByteBuilder().u16(101).nul("").i32(0)))
           .section(129, OneSound({1})).end(),
       "Stream read error", [](const ProjectModel& m) { EXPECT_EQ(m.Sounds.size(), 65535u); }},
      {"dialog count", OneSection(139, ByteBuilder().i32(0).i32(1000).i32(1))},
      {"play list items", OneSection(135, ByteBuilder().i32(1).nul("x").nul("").u8(0).u16(0).i32(1 << 30))},
      {"parameter block over 64 KiB", OneSection(140, bigParams)},
      {"second image section", Magic().section(651, ImageSection(1)).section(651, ImageSection(1)).end(),
       "Duplicate frame image section", [](const ProjectModel& m) {
         ASSERT_EQ(m.Bitmaps.size(), 1u);
         EXPECT_EQ(m.Bitmaps[0].Width(), 2);  // the first one is still parsed
       }},
      {"image index -1", SecondAnimationShows(-1), "Frame image index out of range", goodAnimationKept},
      {"image index 2 of 2", SecondAnimationShows(2), "Frame image index out of range", goodAnimationKept},
      {"image index 2^30", SecondAnimationShows(1 << 30), "Frame image index out of range", goodAnimationKept},
      {"images after the animations", OneSection(652, OneAnimation({FrameSpec{.image = 0}})),
       "Frame image index out of range", [](const ProjectModel& m) { EXPECT_TRUE(m.Animations.empty()); }},
      // The second image entry is cut: the first stays, and the sounds are never read from image bytes.
      {"truncated image entry", truncatedImage, "Stream read error", [](const ProjectModel& m) {
         EXPECT_EQ(m.Bitmaps.at(0).Width(), 2);
         ASSERT_EQ(m.Sounds.size(), 1u);
         EXPECT_EQ(BytesOf(m.Sounds[0].Data), (std::vector<uint8_t>{7, 8}));
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto r = LoadStream(c.stream);
    EXPECT_EQ(r.error, c.error);
    if (c.check) c.check(*r.model);
  }
}

TEST(ProjectHostile, NotAZlibStream) {
  ProjectModel model;
  std::vector<uint8_t> garbage = {1, 2, 3, 4, 5, 6};
  EXPECT_THROW(LoadProjectStream(garbage, model), EZDecompressionError);
  EXPECT_TRUE(model.Variables.empty());
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
    r.model->PrepareAllOutlines();
    const auto& frame = r.model->Animations[0].Frames[0];
    EXPECT_EQ(std::tuple(frame.RegionStored, frame.Variants[0].Region.size()), std::tuple(false, 12u));
  }
}

TEST(ProjectHostile, MoveParametersWithBadEntriesAndCursorIndexOutsideTheCursorList) {
  // An animation without frames: move mode 3 with its parameter block, then the cursor byte.
  ByteBuilder body;
  body.compact(1).i32(1).shortString("M").u16(1).u16(1).u16(0).u16(1).u8(255).shortString("").shortString("");
  body.u8(3).sized(ByteBuilder().u8(1).i32(4).u8(9).i32(5).u8(1).i32(6).bytes());
  body.u8(1).sized(ByteBuilder().u8(200).bytes()).i32(0).i32(0).i32(0);
  auto r = LoadStream(Magic().section(652, body).end());
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.model->Animations[0].Params, (std::vector<int32_t>{4}));  // an unknown kind ends the list
  EXPECT_EQ(r.model->Animations[0].ExtraByte, 200);                      // kept: the cursor list is not known yet
}

TEST(ProjectHostile, SoundsBeforeImagesKeepEachTheirOwnBytes) {
  // The sound section comes first, so the frame data starts with sound bytes: the images must
  // still be parsed from their own section's bytes and the sounds keep theirs.
  auto stream = Magic().section(129, OneSound({7, 8, 9})).section(651, ImageSection(2));
  auto r = LoadStream(stream.section(652, OneAnimation({FrameSpec{.image = 1, .sounds = {{0, 1}}}})).end());
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.model->Bitmaps.size(), 2u);
  for (auto& image : r.model->Bitmaps) {
    auto pixels = image.Pixels();
    EXPECT_EQ(std::vector<uint32_t>(pixels.begin(), pixels.end()), (std::vector<uint32_t>{0xFFFF0000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF0000}));
  }
  ASSERT_EQ(r.model->Sounds.size(), 1u);
  EXPECT_EQ(BytesOf(r.model->Sounds[0].Data), (std::vector<uint8_t>{7, 8, 9}));
  ASSERT_EQ(r.model->Animations[0].Frames[0].Sounds.size(), 1u);
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
  // No mirrored copy was made.
  EXPECT_EQ(std::tuple(r.model->Scripts[1].Actions.size(), r.model->Bitmaps.size()), std::tuple(4u, 1u));
}

TEST(ProjectHostile, CursorSectionsAreReadWithinTheirBodyWithOnePropertyMessagePerLoad) {
  // The first collection claims two items but holds one, the second has a name index below -1,
  // the third a cut item: one message only, and the sections after them still load.
  ByteBuilder twoClaimed;
  twoClaimed.i32(2).i32(0).i32(1).i32(1).i32(2).i32(2).i32(3).i32(0).i32(0);
  auto stream = Magic().section(655, twoClaimed).section(655, ByteBuilder().i32(1).i32(-2).i32(0));
  stream.section(655, ByteBuilder().i32(2).i32(0).i32(1)).section(140, ByteBuilder().i32(8).i32(0)).end();
  auto r = LoadStream(stream);
  // Each collection adds all the items it claims.
  EXPECT_EQ(std::tuple(r.error, r.propertyErrors.size(), r.model->NextScriptId, r.model->Cursors.size()),
            std::tuple("", 1u, 8, 5u));
}
