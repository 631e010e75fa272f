// Frame images: both stored forms, hostile entries, mirroring, transparency and alpha scans; the
// run lists of frame outlines and TColor conversion.
#include <gtest/gtest.h>

#include "ByteBuilder.hpp"
#include "project/Errors.hpp"
#include "project/Shape.hpp"
#include "project/SystemColors.hpp"
#include "project/TVrBitmap.hpp"

namespace kpf::project {
namespace {

using test::ByteBuilder;
using test::PackedEntry;
using test::PaletteEntry;
using Pixels = std::vector<uint32_t>;

Pixels ToVector(std::span<const uint32_t> pixels) { return {pixels.begin(), pixels.end()}; }

// Undecoded images borrow the stored bytes, so `block` must outlive the image.
TVrBitmap Loaded(const ByteBuilder& block) {
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  return image;
}

// 3 x 2 picture used by most cases: top row first.
const Pixels kPicture = {0xFF112233, 0x80445566, 0x00000000, 0xFFAABBCC, 0xFF010203, 0xFFFFFFFF};

TEST(TVrBitmap, DecodesPackedFormFromOffsetAndReturnsNextOffset) {
  auto block = ByteBuilder().raw({0xEE, 0xEE}).raw(PackedEntry(3, 2, kPicture)).u8(0x99);  // next entry
  TVrBitmap image;
  EXPECT_EQ(image.LoadFromBuffer(block, 2), block.size() - 1);
  EXPECT_EQ(std::tuple(image.Form(), image.Decoded(), image.Width(), image.Height()), std::tuple(0, false, 3, 2));
  EXPECT_EQ(ToVector(image.Pixels()), kPicture);
  EXPECT_TRUE(image.Decoded());
}

TEST(TVrBitmap, DecodesPaletteFormIndexBeyondPaletteIsTransparentAndOtherFormsAreNineBytes) {
  auto block = PaletteEntry(2, 2, {0, 1, 2, 255}, {0xFF00FF00, 0x7F0000FF});
  TVrBitmap image;
  EXPECT_EQ(image.LoadFromBuffer(block, 0), block.size());
  EXPECT_EQ(image.Form(), 1);
  EXPECT_EQ(ToVector(image.Pixels()), (Pixels{0xFF00FF00, 0x7F0000FF, 0, 0}));
  // Any other storage byte: a nine-byte entry with transparent pixels (none for a 0 x 0 picture).
  auto other = ByteBuilder().i32(2).i32(1).u8(7).i32(0).i32(0).u8(9);
  EXPECT_EQ(image.LoadFromBuffer(other, 0), 9u);
  EXPECT_EQ(ToVector(image.Pixels()), (Pixels{0, 0}));
  EXPECT_EQ(image.LoadFromBuffer(other, 9), 18u);
  EXPECT_TRUE(image.Pixels().empty());
}

TEST(TVrBitmap, RejectsHostileEntries) {
  auto header = [](int32_t w, int32_t h, uint8_t form) { return ByteBuilder().i32(w).i32(h).u8(form); };
  const std::pair<const char*, ByteBuilder> cases[] = {
      {"negative height", PackedEntry(1, -1, {})},
      {"side too large", PackedEntry(16385, 1, {})},
      {"too many pixels", header(16384, 16384, 0).i32(0)},
      {"huge side without data", header(70000, 1, 5)},
      {"short index block", PaletteEntry(2, 2, {0, 0, 0}, {0xFF000000})},
      {"long index block", PaletteEntry(1, 1, {0, 0}, {0xFF000000})},
      {"partial palette entry", header(1, 1, 1).i32(1).u8(0).i32(3).raw({1, 2, 3})},
      {"packed size beyond block", header(1, 1, 0).i32(100)},
      {"negative packed size", header(1, 1, 0).i32(-4)},
      {"truncated header", ByteBuilder().i32(1).u8(1)},
  };
  for (const auto& [name, block] : cases) {
    TVrBitmap image;
    EXPECT_THROW(image.LoadFromBuffer(block, 0), KpfError) << name;
  }
}

// A side of 0 is a valid empty picture of either form: it loads, has no pixels and no alpha,
// and mirrors, flips and transparency scans do nothing with it.
TEST(TVrBitmap, PictureWithASideOfZeroIsEmpty) {
  for (auto [name, block] : {std::pair{"0 x 0 packed", PackedEntry(0, 0, {})},
                             {"0 x 5 packed", PackedEntry(0, 5, {})},
                             {"7 x 0 palette", PaletteEntry(7, 0, {}, {0xFF00FF00})}}) {
    TVrBitmap image;
    EXPECT_EQ(image.LoadFromBuffer(block, 0), block.size()) << name;
    EXPECT_TRUE(image.Pixels().empty()) << name;
    image.ComputeHasAlpha();
    EXPECT_FALSE(image.HasAlpha()) << name;
    image.MirrorHorizontal();
    image.FlipVertical();
    image.Transparent = true;
    EXPECT_EQ(image.FindTransparentPixel(), (platform::Point{-1, -1})) << name;
  }
}

TEST(TVrBitmap, EmptyPictureWhoseDataInflatesToPixelsThrowsOnceThenStaysEmpty) {
  auto block = PackedEntry(0, 3, {0xFF112233});
  TVrBitmap image;
  image.LoadFromBuffer(block, 0);
  EXPECT_THROW(image.Pixels(), KpfError);
  EXPECT_TRUE(image.Pixels().empty());
}

TEST(TVrBitmap, WrongInflatedSizeOrBrokenStreamThrowsOnceThenStaysTransparent) {
  for (auto [name, stored, corrupt] : {std::tuple{"too few pixels", Pixels{1, 2, 3}, false},
                                       {"too many pixels", Pixels{1, 2, 3, 4, 5}, false},
                                       {"corrupt stream", Pixels{1, 2, 3, 4}, true}}) {
    auto block = PackedEntry(2, 2, stored);
    std::vector<uint8_t> bytes = block.bytes();
    if (corrupt) bytes.back() ^= 0xFF;  // Adler-32 check fails
    TVrBitmap image;
    image.LoadFromBuffer(bytes, 0);
    EXPECT_THROW(image.Pixels(), KpfError) << name;
    EXPECT_EQ(ToVector(image.Pixels()), Pixels(4, 0)) << name;
  }
}

TEST(TVrBitmap, MirrorAndFlipAgreeForDecodedPixelsAndUndecodedIndices) {
  const auto packed = PackedEntry(3, 2, kPicture);
  const auto paletted = PaletteEntry(3, 2, {0, 1, 2, 3, 4, 5}, kPicture);
  const auto storedCopy = paletted.bytes();
  const Pixels mirrored = {0x00000000, 0x80445566, 0xFF112233, 0xFFFFFFFF, 0xFF010203, 0xFFAABBCC};
  const Pixels flipped = {0xFFAABBCC, 0xFF010203, 0xFFFFFFFF, 0xFF112233, 0x80445566, 0x00000000};
  for (const auto* block : {&packed, &paletted}) {
    TVrBitmap image = Loaded(*block);
    image.MirrorHorizontal();
    EXPECT_EQ(ToVector(image.Pixels()), mirrored);
    image.LoadFromBuffer(*block, 0);
    image.FlipVertical();
    EXPECT_EQ(ToVector(image.Pixels()), flipped);
    image.MirrorHorizontal();  // now decoded: works on the pixels
    image.FlipVertical();
    EXPECT_EQ(ToVector(image.Pixels()), mirrored);
  }
  EXPECT_EQ(paletted.bytes(), storedCopy);  // the borrowed stored bytes are never written
}

TEST(TVrBitmap, AssignAndCopiesAreIndependentOfTheSource) {
  auto block = PaletteEntry(2, 1, {0, 1}, {0xFF000001, 0xFF000002});
  TVrBitmap source = Loaded(block);
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
    EXPECT_EQ(ToVector(image->Pixels()), (Pixels{0xFF000002, 0xFF000001}));
    EXPECT_EQ(std::tuple(image->UseCount, image->CopyKind), std::tuple(3, 1));
    EXPECT_EQ(image->FindTransparentPixel(), (platform::Point{0, 0}));
  }
}

TEST(TVrBitmap, TransparentPixelScanFromTheTopLeftAndPartialAlphaScan) {
  auto block = PackedEntry(3, 2, kPicture);
  TVrBitmap picture = Loaded(block);
  picture.TransparentColor = 0xFF010203;
  EXPECT_EQ(picture.FindTransparentPixel(), (platform::Point{-1, -1}));  // transparency off
  picture.Transparent = true;
  EXPECT_EQ(picture.FindTransparentPixel(), (platform::Point{1, 1}));
  picture.TransparentColor = 0xFF000000;
  EXPECT_EQ(picture.FindTransparentPixel(), (platform::Point{-1, -1}));
  // Form 1 scans the palette, including entries no pixel uses.
  for (auto [entry, expected] : {std::pair{PackedEntry(2, 1, {0xFF000000, 0x00FFFFFF}), false},
                                 {PackedEntry(2, 1, {0xFF000000, 0x01000000}), true},
                                 {PackedEntry(2, 1, {0xFE000000, 0xFF000000}), true},
                                 {PaletteEntry(1, 1, {0}, {0xFF000000, 0x80000000}), true}}) {
    TVrBitmap image = Loaded(entry);
    image.ComputeHasAlpha();
    EXPECT_EQ(image.HasAlpha(), expected);
    image.Clear();
    EXPECT_EQ(std::tuple(image.HasAlpha(), image.Width()), std::tuple(false, 0));
  }
}

TEST(TVrBitmap, LargestSideAndPicturesBeyondTheFirstInflateStepDecode) {
  // 16384 x 80 pixels inflate to 5 MiB, past the 4 MiB first output step.
  auto block = PackedEntry(16384, 80, Pixels(16384 * 80, 0xFF123456));
  TVrBitmap image = Loaded(block);
  EXPECT_EQ(std::tuple(image.Pixels().size(), image.Pixels().back()), std::tuple(16384u * 80, 0xFF123456u));
}

// ---- outlines ----

constexpr uint32_t T = 0xFF00FF00;  // transparent colour
constexpr uint32_t O = 0xFF123456;  // opaque
constexpr uint32_t A = 0x0000FF00;  // same RGB, alpha 0: still differs from the key

std::vector<uint8_t> Runs(std::initializer_list<ShapeRun> runs) {
  std::vector<uint8_t> bytes;
  for (const auto& run : runs) AppendRun(bytes, run);
  return bytes;
}

TEST(BuildShape, RunsBoundsAndFirstPointOrNothingForATransparentImage) {
  auto block = PackedEntry(5, 4, {T, T, T, T, T,
                                  T, O, O, T, O,
                                  O, T, T, T, T,
                                  A, A, A, A, A});
  TVrBitmap image = Loaded(block);
  ShapeData shape = BuildShape(image, T, false);
  EXPECT_EQ(shape.runs, Runs({{1, 1, 3}, {4, 1, 5}, {0, 2, 1}, {0, 3, 5}}));
  // Each run is x start, row, x end as little-endian 16-bit words.
  EXPECT_EQ(std::vector<uint8_t>(shape.runs.begin(), shape.runs.begin() + 6), ByteBuilder().u16(1).u16(1).u16(3).bytes());
  EXPECT_EQ(std::tuple(shape.bounds, shape.firstOpaque), std::tuple(platform::Rect{0, 1, 5, 4}, platform::Point{1, 1}));
  ShapeData first = BuildShape(image, T, true);
  EXPECT_EQ(std::tuple(first.firstOpaque, first.runs), std::tuple(platform::Point{1, 1}, Runs({{1, 1, 3}})));

  auto clear = PackedEntry(2, 2, {T, T, T, T});
  TVrBitmap transparent = Loaded(clear);
  ShapeData none = BuildShape(transparent, T, false);
  EXPECT_EQ(std::tuple(none.runs.empty(), none.bounds, none.firstOpaque), std::tuple(true, platform::Rect{}, platform::Point{-1, -1}));
}

TEST(RunList, FitsOnlyWholeRunsInsideThePictureDecodesAndComparesShapes) {
  auto partial = Runs({{0, 0, 1}});
  partial.pop_back();
  const std::tuple<const char*, std::vector<uint8_t>, bool> cases[] = {
      {"empty", {}, true},
      {"inside", Runs({{0, 0, 4}, {3, 2, 4}}), true},
      {"partial run", partial, false},
      {"end beyond width", Runs({{0, 0, 5}}), false},
      {"row beyond height", Runs({{0, 3, 1}}), false},
      {"empty run", Runs({{2, 0, 2}}), false},
      {"reversed run", Runs({{3, 0, 1}}), false},
  };
  for (const auto& [name, runs, fits] : cases) EXPECT_EQ(RunListFits(runs, 4, 3), fits) << name;

  auto runs = Runs({{1, 0, 3}, {0, 7, 2}});
  EXPECT_EQ(DecodeRuns(runs), (std::vector<ShapeRun>{{1, 0, 3}, {0, 7, 2}}));
  EXPECT_EQ(RunListToRegion(runs), (platform::Region{{1, 0, 3, 1}, {0, 7, 2, 8}}));
  EXPECT_TRUE(RunListToRegion({}).empty());
  EXPECT_THROW(DecodeRuns(partial), KpfError);
  auto a = Runs({{1, 0, 3}});
  EXPECT_EQ(std::tuple(SameShape(a, Runs({{1, 0, 3}})), SameShape(a, Runs({{1, 0, 4}})),
                       SameShape(a, Runs({{1, 0, 3}, {1, 1, 3}})), SameShape({}, {})),
            std::tuple(true, false, false, true));
}

TEST(ColorToArgb, ConvertsTColorAndSystemColours) {
  for (auto [color, argb] : {std::pair{0x0000FFu, 0xFFFF0000u},    // red
                             {0xFF0000u, 0xFF0000FFu},            // blue
                             {0x02345678u, 0xFF785634u},          // other top bytes are ignored
                             {0xFF00000Fu, 0xFFD4D0C8u},          // button face
                             {0xFF000005u, 0xFFFFFFFFu},          // window
                             {0xFF0000C8u, 0xFF000000u}})         // unknown index
    EXPECT_EQ(ColorToArgb(color), argb) << std::hex << color;
}


TEST(TVrBitmap, TurnsOfAPackedPictureWaitForItsDecodeAndDerivedPixelsFollowEveryChange) {
  const std::vector<uint32_t> stored = {0x80FF0000, 0xFF00FF00, 0x00000000, 0x40FFFFFF, 0xFF123456, 0xFF000001};
  auto block = PackedEntry(3, 2, stored);
  TVrBitmap eager = Loaded(block);
  eager.Pixels();
  eager.MirrorHorizontal();
  eager.FlipVertical();
  TVrBitmap lazy = Loaded(block);
  lazy.MirrorHorizontal();
  lazy.FlipVertical();
  lazy.MirrorHorizontal();
  lazy.MirrorHorizontal();
  EXPECT_FALSE(lazy.Decoded());
  EXPECT_EQ(ToVector(lazy.Pixels()), ToVector(eager.Pixels()));
  EXPECT_EQ(ToVector(lazy.Pixels()), (Pixels{0xFF000001, 0xFF123456, 0x40FFFFFF, 0x00000000, 0xFF00FF00, 0x80FF0000}));

  // The premultiplied pixels are kept until the pixels change, then made again.
  auto first = lazy.Premultiplied();
  EXPECT_EQ(lazy.Premultiplied(), first);
  EXPECT_EQ(std::tuple((*first)[5], (*first)[3]), std::tuple(0x80800000u, 0u));
  lazy.MirrorHorizontal();
  auto second = lazy.Premultiplied();
  EXPECT_NE(second, first);
  EXPECT_EQ((*second)[3], 0x80800000u);
  EXPECT_EQ((*first)[5], 0x80800000u);  // a window still showing the old pixels keeps them
  lazy.ComputeHasAlpha();
  EXPECT_TRUE(lazy.HasAlpha());

  // So is the outline of the pixels that are not fully transparent.
  auto outline = lazy.AlphaOutline();
  EXPECT_EQ(lazy.AlphaOutline(), outline);
  EXPECT_EQ(*outline, (std::vector<platform::Rect>{{0, 0, 3, 1}, {0, 1, 2, 2}}));
  lazy.FlipVertical();
  EXPECT_EQ(*lazy.AlphaOutline(), (std::vector<platform::Rect>{{0, 0, 2, 1}, {0, 1, 3, 2}}));
  lazy.FlipVertical();
  const auto blue = PackedEntry(1, 1, {0xFF0000FF}).bytes();
  lazy.LoadFromBuffer(blue, 0);
  lazy.ComputeHasAlpha();
  EXPECT_FALSE(lazy.HasAlpha());
  EXPECT_EQ(*lazy.Premultiplied(), std::vector<uint32_t>{0xFF0000FFu});
}

}  // namespace
}  // namespace kpf::project
