// Decoding of the package layout, including damaged and hostile packages.
#include <gtest/gtest.h>

#include "package/PackageFormat.hpp"
#include "package/ResourceName.hpp"
#include "project/ProjectWriter.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

using testing::Bytes;
using testing::PackageBuilder;

TEST(ParsePackage, FileWithoutTrailerMagicHasNoPackage) {
  Bytes file = PackageBuilder().End().Build();
  for (uint32_t last : {0u, 129u, 131u, 255u, 0x82000000u}) {
    Bytes copy(file.begin(), file.end() - 4);
    EXPECT_FALSE(ParsePackage(testing::ByteBuilder().raw(copy).u32(last).bytes())) << last;
  }
  EXPECT_FALSE(ParsePackage(Bytes{}));
  EXPECT_FALSE(ParsePackage(Bytes{130, 0, 0, 0}));  // magic alone, shorter than the trailer
}

TEST(ParsePackage, ReadsBlockHeaderRecordsAndTrailer) {
  PackageBuilder builder;
  builder.header.HeaderFlags = 1;
  builder.Record(kTagElampDll, {1, 2, 3}).NamedFile("sub\\file.txt", "hello").IntValue(2, -7).TextValue(3, "abc").End();
  Bytes file = builder.Build();
  auto layout = ParsePackage(file);
  ASSERT_TRUE(layout);
  EXPECT_TRUE(layout->Complete());
  EXPECT_EQ(layout->Trailer.ProjectOffset, builder.image.size());
  EXPECT_EQ(Bytes(layout->ProjectBlock.begin(), layout->ProjectBlock.end()), builder.block);
  ASSERT_TRUE(layout->Header);
  const auto& h = *layout->Header;
  EXPECT_EQ(std::tuple(h.DesignVersion, h.AboutText, h.Title, h.HeaderFlags), std::tuple("3.01", "About\r\nline", "My Title", 1));
  ASSERT_EQ(layout->Records.size(), 4u);
  const auto &dll = layout->Records[0], &named = layout->Records[1];
  EXPECT_EQ(std::tuple(dll.FileName, dll.Content.size()), std::tuple("elamp.dll", 3u));
  EXPECT_EQ(std::tuple(named.FileName, std::string(named.Content.begin(), named.Content.end())), std::tuple("sub\\file.txt", "hello"));
  EXPECT_EQ(layout->Records[2].Value, (VariableValueRecord{2, kValueInteger, -7, ""}));
  EXPECT_EQ(layout->Records[3].Value, (VariableValueRecord{3, kValueText, 0, "abc"}));
  EXPECT_TRUE(layout->EndTagSeen);
}

TEST(ParsePackage, ProjectWriterBuildsThisLayoutByteForByte) {
  PackageBuilder bare;
  bare.header.HeaderFlags = 1;
  bare.recordList = false;
  const project::PackageHeader header{"3.01", "About\r\nline", "My Title", 1};
  EXPECT_EQ(project::BuildPackage(bare.image, bare.block, header, {}), bare.Build());
  PackageBuilder full = bare;
  full.recordList = true;
  full.NamedFile("a", "x").End();  // the writer adds the end record
  EXPECT_EQ(project::BuildPackage(full.image, full.block, header, {{kTagNamedFile, {'a', 0, 'x'}}}), full.Build());
}

TEST(ParsePackage, RecordListMayBeMissingOrHoldOnlyTheEndTagOrUnknownTags) {
  PackageBuilder bare;
  bare.recordList = false;  // the header is followed directly by the trailer
  for (auto [builder, endTag] : {std::pair{bare, false}, {PackageBuilder().End(), true}}) {
    auto layout = ParsePackage(builder.Build());
    ASSERT_TRUE(layout);
    EXPECT_TRUE(layout->Complete());
    EXPECT_TRUE(layout->Records.empty());
    EXPECT_EQ(layout->EndTagSeen, endTag);
  }
  auto unknown = ParsePackage(PackageBuilder().Record(150, {9, 9, 9, 9, 9}).IntValue(1, 5).End().Build());
  ASSERT_TRUE(unknown);
  ASSERT_EQ(unknown->Records.size(), 2u);
  EXPECT_EQ(unknown->Records[0].Tag, 150u);
  EXPECT_EQ(unknown->Records[1].Value->IntValue, 5);
}

// Hostile offsets and lengths end the parse with an error; nothing is read out of bounds and
// the records before the damage are kept.
TEST(ParsePackage, HostileLengthsEndTheParse) {
  auto named = [](uint32_t length) { return testing::ByteBuilder().u32(kTagNamedFile).u32(length).raw({'a', 0, 'b'}); };
  const std::pair<const char*, testing::ByteBuilder> cases[] = {
      {"beyond the file", named(1000)}, {"negative", named(0x80000000u)}, {"huge", named(0xFFFFFFFFu)},
      {"over 64 MiB", named((64u << 20) + 1)},
      {"one byte into the trailer", named(4)}, {"up to the end of the file", named(3 + 8)},
      {"tag without length", testing::ByteBuilder().u32(150)},
  };
  for (const auto& [name, damage] : cases) {
    PackageBuilder builder;
    builder.IntValue(1, 1).records.raw(damage);
    auto layout = ParsePackage(builder.Build());
    ASSERT_TRUE(layout) << name;
    EXPECT_FALSE(layout->Error.empty()) << name;
    ASSERT_EQ(layout->Records.size(), 1u) << name;
    EXPECT_TRUE(layout->Header) << name;
  }
}

TEST(ParsePackage, BadProjectOffsetOrBlockLength) {
  const Bytes file = PackageBuilder().End().Build();
  const size_t trailer = file.size() - 8, blockLength = PackageBuilder().image.size();
  auto patched = [&](size_t at, uint32_t value) {
    Bytes copy = file;
    for (int i = 0; i < 4; ++i) copy[at + i] = static_cast<uint8_t>(value >> (8 * i));
    return copy;
  };
  // Offsets at or past the trailer; block lengths that run into the trailer or wrap around.
  for (auto [at, value] : {std::pair{trailer, static_cast<uint32_t>(trailer)}, {trailer, static_cast<uint32_t>(trailer - 3)},
                           {trailer, 0xFFFFFFFFu}, {blockLength, 0xFFFFFFFFu}, {blockLength, 0xFFFFFFF0u},
                           {blockLength, static_cast<uint32_t>(file.size())}}) {
    auto layout = ParsePackage(patched(at, value));
    ASSERT_TRUE(layout);
    EXPECT_FALSE(layout->ProjectBlockFits) << at << ": " << value;
    EXPECT_TRUE(layout->ProjectBlock.empty());
    if (at == trailer) {
      EXPECT_FALSE(layout->Error.empty());
    }
  }
}

TEST(ParsePackage, HeaderCutShortByTheTrailer) {
  // The block, then a header without flags.
  auto layout = ParsePackage(testing::ByteBuilder().u32(3).text("abcx").u8(0).text("y").u32(0).u32(PackageTrailerMagic).bytes());
  ASSERT_TRUE(layout);
  EXPECT_TRUE(layout->ProjectBlockFits);
  EXPECT_FALSE(layout->Header);
  EXPECT_FALSE(layout->Error.empty());
}

TEST(ParsePackage, UndecodableValueRecordIsMarkedAndFollowingRecordsKept) {
  PackageBuilder builder;
  builder.Record(kTagVariableValue, {1, 0, 0}).Record(kTagVariableValue, {1, 0, 0, 0, 0, 1}).IntValue(2, 9).End();
  auto layout = ParsePackage(builder.Build());
  ASSERT_TRUE(layout);
  ASSERT_EQ(layout->Records.size(), 3u);
  EXPECT_FALSE(layout->Records[0].Problem.empty());
  EXPECT_FALSE(layout->Records[0].Value);
  EXPECT_FALSE(layout->Records[1].Problem.empty());  // integer kind without its four bytes
  EXPECT_EQ(layout->Records[2].Value->IntValue, 9);
  EXPECT_TRUE(layout->Complete());
}

TEST(ResourceName, SplitsPlainRelativeNamesAndRefusesNamesThatLeaveTheFolder) {
  EXPECT_EQ(SplitResourceName("file.txt").Components, (std::vector<std::string>{"file.txt"}));
  EXPECT_EQ(SplitResourceName("a\\b\\c.wav").Components, (std::vector<std::string>{"a", "b", "c.wav"}));
  EXPECT_EQ(SplitResourceName("a/b.wav").Components, (std::vector<std::string>{"a", "b.wav"}));
  EXPECT_TRUE(SplitResourceName("..name").Valid());
  for (std::string name : {"", "\\abs", "/abs", "C:\\x", "C:x", "a\\..\\b", "..", ".", "a\\\\b", "a\\", "x\x01y",
                           "a/../../etc/passwd", "file.txt:stream"}) {
    ResourceName result = SplitResourceName(name);
    EXPECT_FALSE(result.Valid()) << name;
    EXPECT_TRUE(result.Components.empty()) << name;
  }
  EXPECT_FALSE(SplitResourceName(std::string("a\0b", 3)).Valid());
}

TEST(EffectiveTitle, BlankTitlesBecomeTavimo) {
  for (const char* blank : {"", "    ", " \t\r\n\x01"}) EXPECT_EQ(EffectiveTitle(blank), "Tavimo") << blank;
  EXPECT_EQ(EffectiveTitle("  Bob  "), "  Bob  ");
}

}  // namespace
}  // namespace kpf::package
