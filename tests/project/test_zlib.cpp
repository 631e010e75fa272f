// Inflation: results, the growth from the input-size step, and the exact error texts.
#include <gtest/gtest.h>
#include <zlib.h>

#include "project/ZLib.hpp"

namespace kpf::project {
namespace {

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data, int level = 9) {
  uLongf size = compressBound(data.size());
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), data.size(), level), Z_OK);
  out.resize(size);
  return out;
}

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> data(size);
  uint32_t x = 12345;
  for (auto& b : data) {
    x = x * 1103515245 + 12345;
    b = static_cast<uint8_t>((x >> 16) % 7);  // compressible but not trivial
  }
  return data;
}

std::string ErrorOf(const std::vector<uint8_t>& input, size_t cap = kMaxProjectStreamBytes) {
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
    EXPECT_EQ(DecompressBuf(Compress(data)), data) << size;
  }
}

TEST(DecompressBuf, HonoursAnEstimateSmallerOrLargerThanTheResult) {
  auto data = Pattern(5000);
  auto packed = Compress(data);
  EXPECT_EQ(DecompressBuf(packed, 10), data);
  EXPECT_EQ(DecompressBuf(packed, 100000), data);
}

TEST(DecompressBuf, CorruptedChecksumIsDataError) {
  auto packed = Compress(Pattern(3000));
  packed.back() ^= 0x55;
  EXPECT_EQ(ErrorOf(packed), "data error");
}

TEST(DecompressBuf, TruncatedStreamIsBufferError) {
  auto packed = Compress(Pattern(3000));
  packed.resize(packed.size() / 2);
  EXPECT_EQ(ErrorOf(packed), "buffer error");
  EXPECT_EQ(ErrorOf({}), "buffer error");
}

TEST(DecompressBuf, GarbageHeaderIsDataError) {
  EXPECT_EQ(ErrorOf({0x12, 0x34, 0x56, 0x78}), "data error");
}

TEST(DecompressBuf, PresetDictionaryRequestIsDataErrorNotALoop) {
  // Header with FDICT set (0x78 0xBB: check bits valid), followed by a dictionary id.
  EXPECT_EQ(ErrorOf({0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00}), "data error");
}

TEST(DecompressBuf, OutputBeyondTheCapIsRejected) {
  auto packed = Compress(std::vector<uint8_t>(1 << 20, 0));
  EXPECT_FALSE(ErrorOf(packed, 4096).empty());
  EXPECT_EQ(DecompressBuf(packed, 0, 1 << 20).size(), size_t{1} << 20);
}

TEST(DecompressStream, UsesTheWholeSourceAndRewindsTheTarget) {
  auto data = Pattern(777);
  MemoryStream source(Compress(data));
  source.SetPosition(5);  // ignored: the whole content is one zlib stream
  MemoryStream target(std::vector<uint8_t>{1, 2, 3});
  DecompressStream(source, target);
  EXPECT_EQ(target.Position(), 0);
  EXPECT_EQ(std::vector<uint8_t>(target.Data().begin(), target.Data().end()), data);
}

}  // namespace
}  // namespace kpf::project
