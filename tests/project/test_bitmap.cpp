// Frame images: both stored forms, hostile entries, mirroring, transparency and alpha scans.
#include <gtest/gtest.h>

#include <vector>

#include "project/test_bitmap_entries.hpp"
#include "project/Errors.hpp"
#include "project/TVrBitmap.hpp"

namespace kpf::project {
namespace {

using testing::PutHeader;
using testing::PutInt32;
using testing::PutPackedEntry;
using testing::PutPaletteEntry;

std::vector<uint32_t> ToVector(std::span<const uint32_t> pixels) { return {pixels.begin(), pixels.end()}; }

// 3 x 2 picture used by most cases: top row first.
const std::vector<uint32_t> kPicture = {0xFF112233, 0x80445566, 0x00000000,
                                        0xFFAABBCC, 0xFF010203, 0xFFFFFFFF};

TEST(TVrBitmap, DecodesPackedFormFromOffsetAndReturnsNextOffset) {
  std::vector<uint8_t> block = {0xEE, 0xEE};
  PutPackedEntry(block, 3, 2, kPicture);
  size_t end = block.size();
  block.push_back(0x99);  // next entry starts here
  TVrBitmap image;
  EXPECT_EQ(image.LoadFromBuffer(block, 2), end);
  EXPECT_EQ(image.Form(), 0);
  EXPECT_FALSE(image.Decoded());
  EXPECT_EQ(ToVector(image.Pixels()), kPicture);
  EXPECT_TRUE(image.Decoded());
  EXPECT_EQ(image.Width(), 3);
  EXPECT_EQ(image.Height(), 2);
}

TEST(TVrBitmap, DecodesPaletteFormAndIndexBeyondPaletteIsTransparent) {
  std::vector<uint8_t> block;
  PutPaletteEntry(block, 2, 2, {0, 1, 2, 255}, {0xFF00FF00, 0x7F0000FF});
  TVrBitmap image;
  EXPECT_EQ(image.LoadFromBuffer(block, 0), block.size());
  EXPECT_EQ(image.Form(), 1);
  EXPECT_EQ(ToVector(image.Pixels()), (std::vector<uint32_t>{0xFF00FF00, 0x7F0000FF, 0, 0}));
}

TEST(TVrBitmap, OtherStorageIsANineByteEntryWithTransparentPixels) {
  std::vector<uint8_t> block;
  PutHeader(block, 2, 1, 7);
  PutHeader(block, 0, 0, 9);
  TVrBitmap image;
  EXPECT_EQ(image.LoadFromBuffer(block, 0), 9u);
  EXPECT_EQ(ToVector(image.Pixels()), (std::vector<uint32_t>{0, 0}));
  EXPECT_EQ(image.LoadFromBuffer(block, 9), 18u);
  EXPECT_TRUE(image.Pixels().empty());
}

struct HostileCase {
  const char* name;
  std::vector<uint8_t> block;
};

std::vector<HostileCase> HostileEntries() {
  std::vector<HostileCase> cases;
  auto add = [&](const char* name, auto build) {
    std::vector<uint8_t> block;
    build(block);
    cases.push_back({name, block});
  };
  add("zero width", [](auto& b) { PutPackedEntry(b, 0, 2, {}); });
  add("negative height", [](auto& b) { PutPackedEntry(b, 1, -1, {}); });
  add("side too large", [](auto& b) { PutPackedEntry(b, 16385, 1, {}); });
  add("too many pixels", [](auto& b) { PutHeader(b, 16384, 16384, 0); PutInt32(b, 0); });
  add("huge side without data", [](auto& b) { PutHeader(b, 70000, 1, 5); });
  add("short index block", [](auto& b) { PutPaletteEntry(b, 2, 2, {0, 0, 0}, {0xFF000000}); });
  add("long index block", [](auto& b) { PutPaletteEntry(b, 1, 1, {0, 0}, {0xFF000000}); });
  add("partial palette entry", [](auto& b) {
    PutHeader(b, 1, 1, 1);
    PutInt32(b, 1);
    b.push_back(0);
    PutInt32(b, 3);
    b.insert(b.end(), {1, 2, 3});
  });
  add("packed size beyond block", [](auto& b) { PutHeader(b, 1, 1, 0); PutInt32(b, 100); });
  add("negative packed size", [](auto& b) { PutHeader(b, 1, 1, 0); PutInt32(b, -4); });
  add("truncated header", [](auto& b) { PutInt32(b, 1); b.push_back(1); });
  return cases;
}

TEST(TVrBitmap, RejectsHostileEntries) {
  for (const auto& c : HostileEntries()) {
    TVrBitmap image;
    EXPECT_THROW(image.LoadFromBuffer(c.block, 0), KpfError) << c.name;
  }
}

TEST(TVrBitmap, WrongInflatedSizeOrBrokenStreamThrowsOnceThenStaysTransparent) {
  struct Case {
    const char* name;
    std::vector<uint32_t> stored;
    bool corrupt;
  };
  const Case cases[] = {{"too few pixels", {1, 2, 3}, false},
                        {"too many pixels", {1, 2, 3, 4, 5}, false},
                        {"corrupt stream", {1, 2, 3, 4}, true}};
  for (const auto& c : cases) {
    std::vector<uint8_t> block;
    PutPackedEntry(block, 2, 2, c.stored);
    if (c.corrupt) block[block.size() - 1] ^= 0xFF;  // Adler-32 check fails
    TVrBitmap image;
    image.LoadFromBuffer(block, 0);
    EXPECT_THROW(image.Pixels(), KpfError) << c.name;
    EXPECT_EQ(ToVector(image.Pixels()), (std::vector<uint32_t>(4, 0))) << c.name;
  }
}

TEST(TVrBitmap, MirrorAndFlipAgreeForDecodedPixelsAndUndecodedIndices) {
  std::vector<uint8_t> packed, paletted;
  PutPackedEntry(packed, 3, 2, kPicture);
  std::vector<uint32_t> palette(kPicture);
  PutPaletteEntry(paletted, 3, 2, {0, 1, 2, 3, 4, 5}, palette);
  const std::vector<uint8_t> storedCopy = paletted;
  const std::vector<uint32_t> mirrored = {0x00000000, 0x80445566, 0xFF112233,
                                          0xFFFFFFFF, 0xFF010203, 0xFFAABBCC};
  const std::vector<uint32_t> flipped = {0xFFAABBCC, 0xFF010203, 0xFFFFFFFF,
                                         0xFF112233, 0x80445566, 0x00000000};
  for (auto* block : {&packed, &paletted}) {
    TVrBitmap image;
    image.LoadFromBuffer(*block, 0);
    image.MirrorHorizontal();
    EXPECT_EQ(ToVector(image.Pixels()), mirrored);
    image.LoadFromBuffer(*block, 0);
    image.FlipVertical();
    EXPECT_EQ(ToVector(image.Pixels()), flipped);
    image.MirrorHorizontal();  // now decoded: works on the pixels
    image.FlipVertical();
    EXPECT_EQ(ToVector(image.Pixels()), mirrored);
  }
  EXPECT_EQ(paletted, storedCopy);  // the borrowed stored bytes are never written
}

TEST(TVrBitmap, AssignAndCopiesAreIndependentOfTheSource) {
  std::vector<uint8_t> block;
  PutPaletteEntry(block, 2, 1, {0, 1}, {0xFF000001, 0xFF000002});
  TVrBitmap source;
  source.LoadFromBuffer(block, 0);
  source.MirrorHorizontal();  // indices now owned by the source
  source.Transparent = true;
  source.TransparentColor = 0xFF000002;
  source.UseCount = 3;
  source.CopyKind = 1;
  TVrBitmap assigned;
  assigned.Assign(source);
  TVrBitmap copied = source;
  source.MirrorHorizontal();
  source.Clear();
  for (TVrBitmap* image : {&assigned, &copied}) {
    EXPECT_FALSE(image->Decoded());
    EXPECT_EQ(ToVector(image->Pixels()), (std::vector<uint32_t>{0xFF000002, 0xFF000001}));
    EXPECT_EQ(image->UseCount, 3);
    EXPECT_EQ(image->CopyKind, 1);
    EXPECT_EQ(image->FindTransparentPixel(), (platform::Point{0, 0}));
  }
}

TEST(TVrBitmap, FindTransparentPixelScansFromTheTopLeft) {
  std::vector<uint8_t> block;
  PutPackedEntry(block, 3, 2, kPicture);
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  image.TransparentColor = 0xFF010203;
  EXPECT_EQ(image.FindTransparentPixel(), (platform::Point{-1, -1}));  // transparency off
  image.Transparent = true;
  EXPECT_EQ(image.FindTransparentPixel(), (platform::Point{1, 1}));
  image.TransparentColor = 0xFF000000;
  EXPECT_EQ(image.FindTransparentPixel(), (platform::Point{-1, -1}));
}

TEST(TVrBitmap, ComputeHasAlphaLooksForPartialAlpha) {
  struct Case {
    std::vector<uint32_t> pixels;
    bool expected;
  };
  const Case packedCases[] = {{{0xFF000000, 0x00FFFFFF}, false}, {{0xFF000000, 0x01000000}, true},
                              {{0xFE000000, 0xFF000000}, true}};
  for (const auto& c : packedCases) {
    std::vector<uint8_t> block;
    PutPackedEntry(block, 2, 1, c.pixels);
    TVrBitmap image;
    image.LoadFromBuffer(block, 0);
    image.ComputeHasAlpha();
    EXPECT_EQ(image.HasAlpha(), c.expected);
  }
  // Form 1 scans the palette, including entries no pixel uses.
  std::vector<uint8_t> block;
  PutPaletteEntry(block, 1, 1, {0}, {0xFF000000, 0x80000000});
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  image.ComputeHasAlpha();
  EXPECT_TRUE(image.HasAlpha());
  image.Clear();
  EXPECT_FALSE(image.HasAlpha());
  EXPECT_EQ(image.Width(), 0);
}

TEST(TVrBitmap, LargestSideAndPicturesBeyondTheFirstInflateStepDecode) {
  // 16384 x 80 pixels inflate to 5 MiB, past the 4 MiB first output step.
  std::vector<uint8_t> block;
  PutPackedEntry(block, 16384, 80, std::vector<uint32_t>(16384 * 80, 0xFF123456));
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  EXPECT_EQ(image.Pixels().size(), 16384u * 80);
  EXPECT_EQ(image.Pixels().back(), 0xFF123456u);
}

}  // namespace
}  // namespace kpf::project
