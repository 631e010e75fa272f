// Stream primitives and inflation: exact byte forms, failures on data that ends too early,
// hostile counts and lengths, and the exact zlib error texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/ByteReader.hpp"
#include "project/StreamPrimitives.hpp"
#include "project/ZLib.hpp"

namespace kpf::project {
namespace {

using Bytes = std::vector<uint8_t>;

MemoryStream StreamOf(Bytes bytes) { return MemoryStream(std::move(bytes)); }
Bytes Content(const MemoryStream& stream) { return {stream.Data().begin(), stream.Data().end()}; }

TEST(CompactCount, OneByteFormInt32FormAndTruncation) {
  for (auto [bytes, value, consumed] : {std::tuple{Bytes{0x19}, 25, 1}, {Bytes{0xFE}, 254, 1},
                                        {Bytes{0xFF, 0x74, 0x04, 0x00, 0x00}, 1140, 5},
                                        {Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, 0x7fffffff, 5}}) {
    auto stream = StreamOf(bytes);
    EXPECT_EQ(ReadCompactCount(stream), value);
    EXPECT_EQ(stream.Position(), consumed);
  }
  auto cut = StreamOf({0xFF, 0x01, 0x02});
  EXPECT_THROW(ReadCompactCount(cut), EStreamError);
}

TEST(TextForms, NulStringEndsAtNulOrEndAndShortStringLengthPastEndIsAReadError) {
  auto stream = StreamOf({'a', 'b', 0, 'c', 'd'});
  EXPECT_EQ(ReadNulString(stream), "ab");
  EXPECT_EQ(ReadNulString(stream), "cd");
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(ReadNulString(stream), "");
  auto shortStrings = StreamOf({0x03, 'A', 0x00, 'B', 0x05, 'A', 'B'});
  EXPECT_EQ(ReadShortString(shortStrings), "A");  // stops at the NUL but consumes all three bytes
  EXPECT_EQ(shortStrings.Position(), 4);
  EXPECT_THAT([&] { ReadShortString(shortStrings); },
              ::testing::ThrowsMessage<EStreamError>(::testing::StrEq("Stream read error")));
}

TEST(Strings, RoundTripEmptyAndHostileCounts) {
  MemoryStream out;
  WriteStrings(out, {"one", "", "three"});
  out.SetPosition(0);
  EXPECT_EQ(ReadStrings(out), (std::vector<std::string>{"one", "", "three"}));
  for (Bytes bytes : {Bytes{0, 0, 0, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}}) {  // zero, negative
    auto stream = StreamOf(bytes);
    EXPECT_TRUE(ReadStrings(stream).empty());
    EXPECT_EQ(stream.Position(), 4);
  }
  // A count far beyond the bytes present fails before allocating; the last counted string
  // may not run past the end without its NUL.
  for (Bytes bytes : {Bytes{0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}, Bytes{2, 0, 0, 0, 'a', 0, 'b'}}) {
    auto stream = StreamOf(bytes);
    EXPECT_THROW(ReadStrings(stream), EStreamError);
  }
}

TEST(SizedStream, ReadsExactlyAndRejectsBadLengths) {
  auto stream = StreamOf({3, 0, 0, 0, 7, 8, 9, 10});
  MemoryStream target;
  ReadSizedStream(stream, target);
  EXPECT_EQ(Content(target), (Bytes{7, 8, 9}));
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(stream.Position(), 7);
  for (Bytes bytes : {Bytes{0xFE, 0xFF, 0xFF, 0xFF}, Bytes{9, 0, 0, 0, 1}}) {  // negative, too long
    auto bad = StreamOf(bytes);
    EXPECT_THROW(ReadSizedStream(bad, target), EStreamError);
  }
  MemoryStream empty;
  WriteSizedStream(empty, nullptr);  // no source: a zero length
  EXPECT_EQ(Content(empty), (Bytes{0, 0, 0, 0}));
}

TEST(FixedWidth, LittleEndianRoundTrip) {
  MemoryStream out;
  WriteByte(out, 0xAB);
  WriteWord(out, 0x1234);
  WriteInt32(out, -2);
  WriteDouble(out, 1.5);
  EXPECT_EQ(Content(out), (Bytes{0xAB, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}));
  out.SetPosition(0);
  // Braces read the fields in order.
  EXPECT_EQ((std::tuple{ReadByte(out), ReadWord(out), ReadInt32(out), ReadDouble(out)}), std::tuple(0xAB, 0x1234, -2, 1.5));
  EXPECT_THROW(ReadByte(out), EStreamError);
}

TEST(CopyStreamBytes, CopiesAcrossChunksAndIgnoresNonPositiveCounts) {
  Bytes big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  MemoryStream source(big), target;
  CopyStreamBytes(source, target, 0);
  CopyStreamBytes(source, target, -5);
  EXPECT_EQ(target.Size(), 0);
  CopyStreamBytes(source, target, static_cast<int64_t>(big.size()));
  EXPECT_EQ(Content(target), big);
  EXPECT_THROW(CopyStreamBytes(source, target, 1), EStreamError);
}

TEST(MemoryReaders, AdvanceOffsetStayInBoundsAndBoundCountsByRemainingBytes) {
  const Bytes block = {1, 0, 0, 0, 'h', 'i', 0, 'x'};
  size_t offset = 0;
  EXPECT_EQ(ReadInt32At(block, offset), 1);
  EXPECT_EQ(ReadNulStringAt(block, offset), "hi");
  EXPECT_EQ(offset, 7u);
  EXPECT_THROW(ReadInt32At(block, offset), EStreamError);
  offset = 100;
  EXPECT_THROW(ReadNulStringAt(block, offset), EStreamError);

  const Bytes bytes = {0x10, 0, 0, 0, 1, 2, 3, 4};
  EXPECT_THROW(ByteReader(bytes).readCount(1), EStreamError);  // 16 > 4 remaining
  ByteReader reader(bytes);
  reader.skip(4);
  EXPECT_EQ(reader.checkCount(2, 2), 2u);
  EXPECT_THROW(reader.checkCount(3, 2), EStreamError);
  EXPECT_THROW(reader.checkCount(-1), EStreamError);
  EXPECT_THROW(reader.readTerminatedString(), EStreamError);
}

// ---- inflation ----

Bytes Pattern(size_t size) {
  Bytes data(size);
  uint32_t x = 12345;
  for (auto& b : data) {
    x = x * 1103515245 + 12345;
    b = static_cast<uint8_t>((x >> 16) % 7);  // compressible but not trivial
  }
  return data;
}

std::string ErrorOf(const Bytes& input, size_t cap = kMaxProjectStreamBytes) {
  try {
    DecompressBuf(input, 0, cap);
  } catch (const EZDecompressionError& error) {
    return error.what();
  }
  return "";
}

TEST(DecompressBuf, InflatesExactSizesAcrossGrowthSteps) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{255}, size_t{5000}, size_t{1} << 20}) {
    auto data = Pattern(size);
    EXPECT_EQ(DecompressBuf(test::Deflate(data)), data) << size;
  }
  // An estimate smaller or larger than the result is only a starting size.
  auto data = Pattern(5000);
  EXPECT_EQ(DecompressBuf(test::Deflate(data), 10), data);
  EXPECT_EQ(DecompressBuf(test::Deflate(data), 100000), data);
}

TEST(DecompressBuf, DamagedPresetDictionaryOrOversizedStreamsGiveTheirErrorTexts) {
  auto corrupted = test::Deflate(Pattern(3000));
  corrupted.back() ^= 0x55;  // Adler-32 check fails
  auto truncated = test::Deflate(Pattern(3000));
  truncated.resize(truncated.size() / 2);
  EXPECT_EQ(ErrorOf(corrupted), "data error");
  EXPECT_EQ(ErrorOf({0x12, 0x34, 0x56, 0x78}), "data error");
  EXPECT_EQ(ErrorOf(truncated), "buffer error");
  EXPECT_EQ(ErrorOf({}), "buffer error");
  // A header asking for a preset dictionary (FDICT, valid check bits) is a data error, not a loop.
  EXPECT_EQ(ErrorOf({0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00}), "data error");
  auto packed = test::Deflate(Bytes(1 << 20, 0));
  EXPECT_EQ(ErrorOf(packed, 4096), "inflated data too large");
  EXPECT_EQ(DecompressBuf(packed, 0, 1 << 20).size(), size_t{1} << 20);  // exactly the cap is fine
}

TEST(DecompressStream, UsesTheWholeSourceAndRewindsTheTarget) {
  auto data = Pattern(777);
  MemoryStream source(test::Deflate(data));
  source.SetPosition(5);  // ignored: the whole content is one zlib stream
  MemoryStream target(Bytes{1, 2, 3});
  DecompressStream(source, target);
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(Content(target), data);
}

}  // namespace
}  // namespace kpf::project
