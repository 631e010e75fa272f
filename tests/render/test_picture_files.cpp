// Picture files: BMP loading into both fast bitmaps (every bit depth, row order, rejected
// headers) and PNG export and import (round trips with alpha, other formats, rejected files).
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "project/ByteBuilder.hpp"
#include "project/Errors.hpp"
#include "render/PngFile.hpp"
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {
namespace {

using Bytes = std::vector<uint8_t>;
using project::KpfError;

// A BMP file with a 40-byte info header; `rows` are the stored rows (padded here), first
// stored row first. Masks, when given, follow the header.
struct BmpSpec {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 24;
  int32_t compression = 0;
  std::vector<uint32_t> palette{};
  std::vector<uint32_t> masks{};
  std::vector<Bytes> rows{};
};

Bytes MakeBmp(const BmpSpec& form) {
  test::ByteBuilder pixels;
  for (auto row : form.rows) {
    row.resize((row.size() + 3) / 4 * 4, 0);
    pixels.raw(row);
  }
  const auto offset = static_cast<int32_t>(14 + 40 + 4 * (form.masks.size() + form.palette.size()));
  test::ByteBuilder file;
  file.text("BM").i32(offset + static_cast<int32_t>(pixels.size())).i32(0).i32(offset);
  file.i32(40).i32(form.width).i32(form.height).u16(1).u16(form.bitCount).i32(form.compression);
  file.i32(0).i32(0).i32(0).i32(static_cast<int32_t>(form.palette.size())).i32(0);
  return file.raw(test::Argb(form.masks)).raw(test::Argb(form.palette)).raw(pixels).bytes();
}

std::vector<uint32_t> Colours(const TVrFastBMP& bmp) {  // row-table order
  std::vector<uint32_t> out;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.Pixel(x, y));
  return out;
}

TEST(BmpLoading, TrueColourRowOrdersAndSixteenBitForms) {
  struct Case {
    const char* name;
    BmpSpec form;
    std::vector<uint32_t> colours;
  };
  const Case cases[] = {
      {"24 bits bottom up", {.width = 2, .height = 2, .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}},
       {0x030201, 0x060504, 0x090807, 0x0C0B0A}},
      {"32 bits top down keep the fourth byte", {.width = 1, .height = -2, .bitCount = 32, .rows = {{1, 2, 3, 0x80}, {4, 5, 6, 0xFF}}},
       {0xFF060504, 0x80030201}},
      {"16 bits 5-5-5: white, red, blue 16 -> 132", {.width = 3, .bitCount = 16, .rows = {{0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00}}},
       {0xFFFFFF, 0xFF0000, 0x000084}},
      {"16 bits 5-6-5 bit fields: green, red",
       {.width = 2, .bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F}, .rows = {{0xE0, 0x07, 0x00, 0xF8}}},
       {0x00FF00, 0xFF0000}},
  };
  for (const auto& c : cases) {
    TVrFastBMP bmp;
    bmp.LoadFromMemory(MakeBmp(c.form));
    EXPECT_EQ(Colours(bmp), c.colours) << c.name;
  }
  // ToArgb gives the rows top first.
  TVrFastBMP bmp;
  bmp.LoadFromMemory(MakeBmp(cases[0].form));
  EXPECT_EQ(bmp.ToArgb(), (std::vector<uint32_t>{0x090807, 0x0C0B0A, 0x030201, 0x060504}));
}

TEST(BmpLoading, IndexedFilesGiveColoursOrKeepTheirIndices) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  // 9 pixels: 0 1 2 3 0 1 2 3 1 (1 bit: 0 1 0 1 0 1 0 1 1)
  for (auto [bitCount, row, indices] : {std::tuple{uint16_t{1}, Bytes{0x55, 0x80}, Bytes{0, 1, 0, 1, 0, 1, 0, 1, 1}},
                                        {uint16_t{4}, Bytes{0x01, 0x23, 0x01, 0x23, 0x10}, Bytes{0, 1, 2, 3, 0, 1, 2, 3, 1}},
                                        {uint16_t{8}, Bytes{0, 1, 2, 3, 0, 1, 2, 3, 1}, Bytes{0, 1, 2, 3, 0, 1, 2, 3, 1}}}) {
    SCOPED_TRACE(bitCount);
    auto file = MakeBmp({.width = 9, .bitCount = bitCount,
                         .palette = std::vector<uint32_t>(palette.begin(), palette.begin() + (bitCount == 1 ? 2 : 4)),
                         .rows = {row}});
    TVrFast256 indexed;
    indexed.LoadFromMemory(file);
    EXPECT_EQ(Bytes(indexed.Row(0), indexed.Row(0) + 9), indices);
    EXPECT_EQ(indexed.Colors()[1], 0xFF0000u);
    TVrFastBMP bmp;
    bmp.LoadFromMemory(file);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bmp.Pixel(x, 0), palette[indices[x]]);
  }
  // A true-colour file is converted for the 8-bit bitmap.
  TVrFast256 indexed;
  indexed.LoadFromMemory(MakeBmp({.width = 2, .rows = {{0, 0, 255, 0, 0, 255}}}), TConversionMode::cmGray);
  EXPECT_EQ(indexed.Row(0)[0], 85);
}

TEST(BmpLoading, RejectsInvalidFilesAndKeepsThePicture) {
  using Edit = std::function<void(Bytes&)>;
  auto patch32 = [](size_t at, uint32_t v) {
    return [=](Bytes& f) { for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i)); };
  };
  const std::pair<const char*, Edit> cases[] = {
      {"short file", [](Bytes& f) { f.resize(30); }},
      {"signature", [](Bytes& f) { f[0] = 'X'; }},
      {"core header", patch32(14, 12)},
      {"header beyond the file", patch32(14, 4000)},
      {"zero width", patch32(18, 0)},
      {"width too large", patch32(18, 16385)},
      {"height INT_MIN", patch32(22, 0x80000000)},
      {"too many pixels", [=](Bytes& f) { patch32(18, 0x4000)(f); patch32(22, 0x4000)(f); }},
      {"bit count 2", [](Bytes& f) { f[28] = 2; }},
      {"run-length compression", patch32(30, 1)},
      {"bit fields on 24 bits", patch32(30, 3)},
      {"pixel data truncated", [](Bytes& f) { f.pop_back(); }},
      {"pixel offset beyond the file", patch32(10, 0xFFFFFFF0)},
      {"colour table beyond the file", [](Bytes& f) { f[28] = 8; f[46] = 200; }},
  };
  for (const auto& [name, edit] : cases) {
    auto file = MakeBmp({.width = 2, .height = 2, .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}});
    edit(file);
    TVrFastBMP bmp(1, 1);
    TVrFast256 indexed(1, 1);
    EXPECT_THROW(bmp.LoadFromMemory(file), KpfError) << name;
    EXPECT_THROW(indexed.LoadFromMemory(file), KpfError) << name;
    EXPECT_EQ(std::tuple(bmp.Width(), indexed.Width()), std::tuple(1, 1)) << name;
  }
}

class PictureFileTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(dir_); }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string PathOf(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_ = std::filesystem::temp_directory_path() / ("kpf_picture_test_" + std::to_string(::getpid()));
};

TEST_F(PictureFileTest, PngRoundTripKeepsColoursAndStraightAlphaAndReadsOtherFormatsOpaque) {
  const std::vector<uint32_t> pixels = {0xFF102030, 0x80FF0000, 0x00ABCDEF, 0xFFFFFFFF, 0x01000000, 0xFE00FF00};
  WritePng(PathOf("a.png"), 3, 2, pixels);
  PngImage image = ReadPng(PathOf("a.png"));
  EXPECT_EQ(std::tuple(image.width, image.height), std::tuple(3, 2));
  EXPECT_EQ(image.pixels, pixels);
  // Other formats read as opaque ARGB.
  png_image grey{};
  grey.version = PNG_IMAGE_VERSION;
  grey.width = 2;
  grey.height = 1;
  grey.format = PNG_FORMAT_GRAY;
  const uint8_t values[] = {0x00, 0x7F};
  ASSERT_TRUE(png_image_write_to_file(&grey, PathOf("g.png").c_str(), 0, values, 0, nullptr));
  EXPECT_EQ(ReadPng(PathOf("g.png")).pixels, (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F}));
}

TEST_F(PictureFileTest, BmpAndPngFilesLoadOrReportTheirFaults) {
  auto file = MakeBmp({.rows = {{1, 2, 3}}});
  std::ofstream(PathOf("one.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  TVrFastBMP bmp;
  bmp.LoadFromFile(PathOf("one.bmp"));
  EXPECT_EQ(bmp.Pixel(0, 0), 0x030201u);
  EXPECT_THROW(bmp.LoadFromFile(PathOf("missing.bmp")), KpfError);
  std::ofstream(PathOf("bad.png")) << "not a picture";
  EXPECT_THROW(ReadPng(PathOf("bad.png")), KpfError);
  EXPECT_THROW(ReadPng(PathOf("missing.png")), KpfError);
  EXPECT_THROW(ReadPngFromMemory(Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0}), KpfError);  // truncated
  EXPECT_THROW(WritePng(PathOf("x.png"), 2, 2, std::vector<uint32_t>(3)), KpfError);
  EXPECT_THROW(WritePng(PathOf("x.png"), 0, 0, {}), KpfError);
  EXPECT_THROW(WritePng(PathOf("no/such/dir.png"), 1, 1, std::vector<uint32_t>{0}), KpfError);
}

}  // namespace
}  // namespace kpf::render
