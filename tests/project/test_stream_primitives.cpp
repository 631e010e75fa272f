// Stream primitives: exact byte forms, and failures on data that ends too early.
#include <gtest/gtest.h>

#include "project/ByteReader.hpp"
#include "project/StreamPrimitives.hpp"

namespace kpf::project {
namespace {

MemoryStream StreamOf(std::vector<uint8_t> bytes) { return MemoryStream(std::move(bytes)); }

TEST(CompactCount, OneByteFormAndInt32Form) {
  struct Case {
    std::vector<uint8_t> bytes;
    int32_t value;
    int64_t consumed;
  } cases[] = {
      {{0x19}, 25, 1},
      {{0xFE}, 254, 1},
      {{0xFF, 0x74, 0x04, 0x00, 0x00}, 1140, 5},
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 0x7fffffff, 5},
  };
  for (auto& c : cases) {
    auto stream = StreamOf(c.bytes);
    EXPECT_EQ(ReadCompactCount(stream), c.value);
    EXPECT_EQ(stream.Position(), c.consumed);
  }
}

TEST(CompactCount, TruncatedInt32IsAReadError) {
  auto stream = StreamOf({0xFF, 0x01, 0x02});
  EXPECT_THROW(ReadCompactCount(stream), EStreamError);
}

TEST(NulString, EndsAtNulOrAtEndOfStream) {
  auto stream = StreamOf({'a', 'b', 0, 'c', 'd'});
  EXPECT_EQ(ReadNulString(stream), "ab");
  EXPECT_EQ(ReadNulString(stream), "cd");
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(ReadNulString(stream), "");
}

TEST(ShortString, StopsAtFirstNulButConsumesAllBytes) {
  auto stream = StreamOf({0x03, 'A', 0x00, 'B'});
  EXPECT_EQ(ReadShortString(stream), "A");
  EXPECT_EQ(stream.Position(), 4);
}

TEST(ShortString, LengthPastEndIsAReadError) {
  auto stream = StreamOf({0x05, 'A', 'B'});
  try {
    ReadShortString(stream);
    FAIL();
  } catch (const EStreamError& error) {
    EXPECT_STREQ(error.what(), "Stream read error");
  }
}

TEST(Strings, CountZeroAndNegativeGiveEmptyList) {
  auto zero = StreamOf({0, 0, 0, 0});
  EXPECT_TRUE(ReadStrings(zero).empty());
  EXPECT_EQ(zero.Position(), 4);
  auto negative = StreamOf({0xFF, 0xFF, 0xFF, 0xFF});
  EXPECT_TRUE(ReadStrings(negative).empty());
}

TEST(Strings, RoundTripAndHostileCounts) {
  MemoryStream out;
  WriteStrings(out, {"one", "", "three"});
  out.SetPosition(0);
  EXPECT_EQ(ReadStrings(out), (std::vector<std::string>{"one", "", "three"}));

  // A count far beyond the bytes present fails before allocating.
  auto huge = StreamOf({0xFF, 0xFF, 0xFF, 0x7F, 'a', 0});
  EXPECT_THROW(ReadStrings(huge), EStreamError);
  // The last counted string runs past the end without its NUL.
  auto cut = StreamOf({2, 0, 0, 0, 'a', 0, 'b'});
  EXPECT_THROW(ReadStrings(cut), EStreamError);
}

TEST(SizedStream, ReadsExactlyAndRejectsBadLengths) {
  auto stream = StreamOf({3, 0, 0, 0, 7, 8, 9, 10});
  MemoryStream target;
  ReadSizedStream(stream, target);
  EXPECT_EQ(target.Size(), 3);
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(target.Data()[2], 9);
  EXPECT_EQ(stream.Position(), 7);

  auto negative = StreamOf({0xFE, 0xFF, 0xFF, 0xFF});
  EXPECT_THROW(ReadSizedStream(negative, target), EStreamError);
  auto tooLong = StreamOf({9, 0, 0, 0, 1});
  EXPECT_THROW(ReadSizedStream(tooLong, target), EStreamError);
}

TEST(SizedStream, WithoutSourceWritesZeroLength) {
  MemoryStream out;
  WriteSizedStream(out, nullptr);
  EXPECT_EQ(std::vector<uint8_t>(out.Data().begin(), out.Data().end()), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(FixedWidth, LittleEndianRoundTrip) {
  MemoryStream out;
  WriteByte(out, 0xAB);
  WriteWord(out, 0x1234);
  WriteInt32(out, -2);
  WriteDouble(out, 1.5);
  const std::vector<uint8_t> expected = {0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF,
                                         0, 0, 0, 0, 0, 0, 0xF8, 0x3F};
  EXPECT_EQ(std::vector<uint8_t>(out.Data().begin(), out.Data().end()), expected);
  out.SetPosition(0);
  EXPECT_EQ(ReadByte(out), 0xAB);
  EXPECT_EQ(ReadWord(out), 0x1234);
  EXPECT_EQ(ReadInt32(out), -2);
  EXPECT_EQ(ReadDouble(out), 1.5);
  EXPECT_THROW(ReadByte(out), EStreamError);
}

TEST(CopyStreamBytes, CopiesAcrossChunksAndIgnoresNonPositiveCounts) {
  std::vector<uint8_t> big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  MemoryStream source(big), target;
  CopyStreamBytes(source, target, 0);
  CopyStreamBytes(source, target, -5);
  EXPECT_EQ(target.Size(), 0);
  CopyStreamBytes(source, target, static_cast<int64_t>(big.size()));
  EXPECT_TRUE(std::equal(big.begin(), big.end(), target.Data().begin()));
  EXPECT_THROW(CopyStreamBytes(source, target, 1), EStreamError);
}

TEST(MemoryBlockReaders, AdvanceOffsetAndStayInBounds) {
  const std::vector<uint8_t> block = {1, 0, 0, 0, 'h', 'i', 0, 'x'};
  size_t offset = 0;
  EXPECT_EQ(ReadInt32At(block, offset), 1);
  EXPECT_EQ(offset, 4u);
  EXPECT_EQ(ReadNulStringAt(block, offset), "hi");
  EXPECT_EQ(offset, 7u);
  EXPECT_THROW(ReadInt32At(block, offset), EStreamError);
  offset = 100;
  EXPECT_THROW(ReadNulStringAt(block, offset), EStreamError);
}

TEST(ByteReader, CountsAreBoundedByRemainingBytes) {
  const std::vector<uint8_t> bytes = {0x10, 0, 0, 0, 1, 2, 3, 4};
  ByteReader reader(bytes);
  EXPECT_THROW(reader.readCount(1), EStreamError);  // 16 > 4 remaining
  ByteReader again(bytes);
  again.skip(4);
  EXPECT_EQ(again.checkCount(2, 2), 2u);
  EXPECT_THROW(again.checkCount(3, 2), EStreamError);
  EXPECT_THROW(again.checkCount(-1), EStreamError);
  EXPECT_THROW(again.readTerminatedString(), EStreamError);
}

}  // namespace
}  // namespace kpf::project
