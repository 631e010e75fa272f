// Decoding of the package layout, including damaged and hostile packages.
#include <gtest/gtest.h>

#include "package/PackageFormat.hpp"
#include "package/ResourceName.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

using testing::Bytes;
using testing::PackageBuilder;
using testing::PutU32;

TEST(ParsePackage, FileWithoutTrailerMagicHasNoPackage) {
  Bytes file = PackageBuilder().End().Build();
  for (uint32_t last : {0u, 129u, 131u, 255u, 0x82000000u}) {
    Bytes copy = file;
    copy.resize(copy.size() - 4);
    PutU32(copy, last);
    EXPECT_FALSE(ParsePackage(copy)) << last;
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
  EXPECT_EQ(layout->Header->DesignVersion, "3.01");
  EXPECT_EQ(layout->Header->AboutText, "About\r\nline");
  EXPECT_EQ(layout->Header->Title, "My Title");
  EXPECT_EQ(layout->Header->HeaderFlags, 1);
  ASSERT_EQ(layout->Records.size(), 4u);
  EXPECT_EQ(layout->Records[0].FileName, "elamp.dll");
  EXPECT_EQ(layout->Records[0].Content.size(), 3u);
  EXPECT_EQ(layout->Records[1].FileName, "sub\\file.txt");
  EXPECT_EQ(std::string(layout->Records[1].Content.begin(), layout->Records[1].Content.end()), "hello");
  EXPECT_EQ(layout->Records[2].Value, (VariableValueRecord{2, kValueInteger, -7, ""}));
  EXPECT_EQ(layout->Records[3].Value, (VariableValueRecord{3, kValueText, 0, "abc"}));
  EXPECT_TRUE(layout->EndTagSeen);
}

TEST(ParsePackage, HeaderFollowedDirectlyByTrailerEndsAfterHeader) {
  PackageBuilder builder;
  builder.recordList = false;
  Bytes file = builder.Build();
  auto layout = ParsePackage(file);
  ASSERT_TRUE(layout);
  EXPECT_TRUE(layout->Complete());
  EXPECT_TRUE(layout->Records.empty());
  EXPECT_FALSE(layout->EndTagSeen);
}

TEST(ParsePackage, LoneEndTagAndUnknownTags) {
  auto lone = ParsePackage(PackageBuilder().End().Build());
  ASSERT_TRUE(lone);
  EXPECT_TRUE(lone->Complete());
  EXPECT_TRUE(lone->Records.empty());
  EXPECT_TRUE(lone->EndTagSeen);

  auto unknown = ParsePackage(PackageBuilder().Record(150, {9, 9, 9, 9, 9}).IntValue(1, 5).End().Build());
  ASSERT_TRUE(unknown);
  ASSERT_EQ(unknown->Records.size(), 2u);
  EXPECT_EQ(unknown->Records[0].Tag, 150u);
  EXPECT_EQ(unknown->Records[1].Value->IntValue, 5);
}

// Hostile offsets and lengths end the parse with an error; nothing is read out of bounds and
// the records before the damage are kept.
TEST(ParsePackage, HostileLengthsEndTheParse) {
  struct Case {
    const char* name;
    uint32_t length;
  };
  for (Case c : {Case{"beyond the file", 1000}, Case{"negative", 0x80000000u}, Case{"huge", 0xFFFFFFFFu},
                 Case{"over 64 MiB", (64u << 20) + 1}}) {
    PackageBuilder builder;
    builder.IntValue(1, 1);
    PutU32(builder.records, kTagNamedFile);
    PutU32(builder.records, c.length);
    builder.records.insert(builder.records.end(), {'a', 0, 'b'});
    auto layout = ParsePackage(builder.Build());
    ASSERT_TRUE(layout) << c.name;
    EXPECT_FALSE(layout->Error.empty()) << c.name;
    ASSERT_EQ(layout->Records.size(), 1u) << c.name;
    EXPECT_TRUE(layout->Header) << c.name;
  }
}

TEST(ParsePackage, RecordLengthMayNotReachIntoTheTrailer) {
  PackageBuilder builder;
  PutU32(builder.records, 150);
  PutU32(builder.records, 8);  // exactly the trailer's eight bytes
  auto layout = ParsePackage(builder.Build());
  ASSERT_TRUE(layout);
  EXPECT_FALSE(layout->Error.empty());
  EXPECT_TRUE(layout->Records.empty());
}

TEST(ParsePackage, TagWithoutLengthIsAnError) {
  PackageBuilder builder;
  PutU32(builder.records, 150);
  auto layout = ParsePackage(builder.Build());
  ASSERT_TRUE(layout);
  EXPECT_FALSE(layout->Error.empty());
}

TEST(ParsePackage, BadProjectOffsetOrBlockLength) {
  Bytes file = PackageBuilder().End().Build();
  const size_t trailer = file.size() - 8;
  auto withOffset = [&](uint32_t offset) {
    Bytes copy = file;
    for (int i = 0; i < 4; ++i) copy[trailer + i] = static_cast<uint8_t>(offset >> (8 * i));
    return copy;
  };
  for (uint32_t offset : {static_cast<uint32_t>(trailer), static_cast<uint32_t>(trailer - 3), 0xFFFFFFFFu}) {
    auto layout = ParsePackage(withOffset(offset));
    ASSERT_TRUE(layout);
    EXPECT_FALSE(layout->ProjectBlockFits) << offset;
    EXPECT_FALSE(layout->Error.empty());
  }
  // A block length that runs into the trailer or wraps around.
  for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF0u, static_cast<uint32_t>(file.size())}) {
    Bytes copy = file;
    PackageBuilder builder;
    for (int i = 0; i < 4; ++i) copy[builder.image.size() + i] = static_cast<uint8_t>(length >> (8 * i));
    auto layout = ParsePackage(copy);
    ASSERT_TRUE(layout);
    EXPECT_FALSE(layout->ProjectBlockFits) << length;
    EXPECT_TRUE(layout->ProjectBlock.empty());
  }
}

TEST(ParsePackage, HeaderCutShortByTheTrailer) {
  Bytes file;
  PutU32(file, 3);
  file.insert(file.end(), {'a', 'b', 'c', 'x', 0, 'y'});  // block, then a header without flags
  PutU32(file, 0);
  PutU32(file, PackageTrailerMagic);
  auto layout = ParsePackage(file);
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

TEST(ResourceName, AcceptsPlainRelativeNames) {
  EXPECT_EQ(SplitResourceName("file.txt").Components, (std::vector<std::string>{"file.txt"}));
  EXPECT_EQ(SplitResourceName("a\\b\\c.wav").Components, (std::vector<std::string>{"a", "b", "c.wav"}));
  EXPECT_EQ(SplitResourceName("a/b.wav").Components, (std::vector<std::string>{"a", "b.wav"}));
  EXPECT_TRUE(SplitResourceName("..name").Valid());
}

TEST(ResourceName, RefusesNamesThatLeaveTheFolder) {
  for (std::string name : {"", "\\abs", "/abs", "C:\\x", "C:x", "a\\..\\b", "..", ".", "a\\\\b", "a\\", "x\x01y",
                           "a/../../etc/passwd", "file.txt:stream"}) {
    ResourceName result = SplitResourceName(name);
    EXPECT_FALSE(result.Valid()) << name;
    EXPECT_TRUE(result.Components.empty()) << name;
  }
  EXPECT_FALSE(SplitResourceName(std::string("a\0b", 3)).Valid());
}

TEST(EffectiveTitle, BlankTitlesBecomeTavimo) {
  EXPECT_EQ(EffectiveTitle(""), "Tavimo");
  EXPECT_EQ(EffectiveTitle("    "), "Tavimo");
  EXPECT_EQ(EffectiveTitle(" \t\r\n\x01"), "Tavimo");
  EXPECT_EQ(EffectiveTitle("  Bob  "), "  Bob  ");
}

}  // namespace
}  // namespace kpf::package
