// BMP loading into both fast bitmaps: every bit depth, row order, and rejected headers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

#include "project/Errors.hpp"
#include "render/TVrFast256.hpp"
#include "render/TVrFastBMP.hpp"

namespace kpf::render {
namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A BMP file with a 40-byte info header; `rows` are the stored rows (padded here), first
// stored row first. Masks, when given, follow the header.
struct BmpSpec {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  std::vector<uint32_t> palette{};
  std::vector<uint32_t> masks{};
  std::vector<std::vector<uint8_t>> rows{};
};

std::vector<uint8_t> MakeBmp(const BmpSpec& form) {
  std::vector<uint8_t> pixels;
  for (auto row : form.rows) {
    row.resize((row.size() + 3) / 4 * 4, 0);
    pixels.insert(pixels.end(), row.begin(), row.end());
  }
  const uint32_t offset = 14 + 40 + 4 * static_cast<uint32_t>(form.masks.size() + form.palette.size());
  std::vector<uint8_t> file = {'B', 'M'};
  Put32(file, offset + static_cast<uint32_t>(pixels.size()));
  Put32(file, 0);
  Put32(file, offset);
  Put32(file, 40);
  Put32(file, static_cast<uint32_t>(form.width));
  Put32(file, static_cast<uint32_t>(form.height));
  Put16(file, 1);
  Put16(file, form.bitCount);
  Put32(file, form.compression);
  for (int i = 0; i < 3; ++i) Put32(file, 0);
  Put32(file, static_cast<uint32_t>(form.palette.size()));
  Put32(file, 0);
  for (uint32_t m : form.masks) Put32(file, m);
  for (uint32_t c : form.palette) Put32(file, c);
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

std::vector<uint32_t> Colours(const TVrFastBMP& bmp) {  // row-table order
  std::vector<uint32_t> out;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.Pixel(x, y));
  return out;
}

TEST(BmpLoading, TwentyFourBitsBottomUp) {
  BmpSpec form{.width = 2, .height = 2, .bitCount = 24,
               .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}};
  TVrFastBMP bmp;
  bmp.LoadFromMemory(MakeBmp(form));
  EXPECT_EQ(Colours(bmp), (std::vector<uint32_t>{0x030201, 0x060504, 0x090807, 0x0C0B0A}));
  EXPECT_EQ(bmp.ToArgb(), (std::vector<uint32_t>{0x090807, 0x0C0B0A, 0x030201, 0x060504}));
}

TEST(BmpLoading, ThirtyTwoBitsTopDownKeepTheFourthByte) {
  BmpSpec form{.width = 1, .height = -2, .bitCount = 32, .rows = {{1, 2, 3, 0x80}, {4, 5, 6, 0xFF}}};
  TVrFastBMP bmp;
  bmp.LoadFromMemory(MakeBmp(form));
  EXPECT_EQ(Colours(bmp), (std::vector<uint32_t>{0xFF060504, 0x80030201}));
}

TEST(BmpLoading, SixteenBitsDefaultAndBitFields) {
  BmpSpec plain{.width = 3, .height = 1, .bitCount = 16, .rows = {{0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00}}};
  TVrFastBMP bmp;
  bmp.LoadFromMemory(MakeBmp(plain));  // 5-5-5: white, red, blue 16 -> 132
  EXPECT_EQ(Colours(bmp), (std::vector<uint32_t>{0xFFFFFF, 0xFF0000, 0x000084}));
  BmpSpec fields{.width = 2, .height = 1, .bitCount = 16, .compression = 3,
                 .masks = {0xF800, 0x07E0, 0x001F}, .rows = {{0xE0, 0x07, 0x00, 0xF8}}};
  bmp.LoadFromMemory(MakeBmp(fields));  // 5-6-5: green, red
  EXPECT_EQ(Colours(bmp), (std::vector<uint32_t>{0x00FF00, 0xFF0000}));
}

TEST(BmpLoading, IndexedFilesGiveColoursOrKeepTheirIndices) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
  struct Case {
    uint16_t bitCount;
    std::vector<uint8_t> row;  // 9 pixels: 0 1 2 3 0 1 2 3 1 (1 bit: 0 1 0 1 0 1 0 1 1)
    std::vector<uint8_t> indices;
  };
  const Case cases[] = {
      {1, {0x55, 0x80}, {0, 1, 0, 1, 0, 1, 0, 1, 1}},
      {4, {0x01, 0x23, 0x01, 0x23, 0x10}, {0, 1, 2, 3, 0, 1, 2, 3, 1}},
      {8, {0, 1, 2, 3, 0, 1, 2, 3, 1}, {0, 1, 2, 3, 0, 1, 2, 3, 1}},
  };
  for (const auto& c : cases) {
    BmpSpec form{.width = 9, .height = 1, .bitCount = c.bitCount,
                 .palette = std::vector<uint32_t>(palette.begin(), palette.begin() + (c.bitCount == 1 ? 2 : 4)),
                 .rows = {c.row}};
    auto file = MakeBmp(form);
    TVrFast256 indexed;
    indexed.LoadFromMemory(file);
    EXPECT_EQ(std::vector<uint8_t>(indexed.Row(0), indexed.Row(0) + 9), c.indices) << c.bitCount;
    EXPECT_EQ(indexed.Colors()[1], 0xFF0000u);
    TVrFastBMP bmp;
    bmp.LoadFromMemory(file);
    for (int x = 0; x < 9; ++x) EXPECT_EQ(bmp.Pixel(x, 0), palette[c.indices[x]]) << c.bitCount;
  }
}

TEST(BmpLoading, TrueColourFileIsConvertedForThe8BitBitmap) {
  BmpSpec form{.width = 2, .height = 1, .bitCount = 24, .rows = {{0, 0, 255, 0, 0, 255}}};
  TVrFast256 indexed;
  indexed.LoadFromMemory(MakeBmp(form), TConversionMode::cmGray);
  EXPECT_EQ(indexed.Row(0)[0], 85);
}

TEST(BmpLoading, RejectsInvalidFilesAndKeepsThePicture) {
  using Edit = std::function<void(BmpSpec&, std::vector<uint8_t>&)>;
  auto patch32 = [](size_t at, uint32_t v) {
    return [=](BmpSpec&, std::vector<uint8_t>& f) {
      for (int i = 0; i < 4; ++i) f[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
  };
  auto patch16 = [](size_t at, uint16_t v) {
    return [=](BmpSpec&, std::vector<uint8_t>& f) { f[at] = v & 0xFF; f[at + 1] = v >> 8; };
  };
  const std::pair<const char*, Edit> cases[] = {
      {"short file", [](BmpSpec&, std::vector<uint8_t>& f) { f.resize(30); }},
      {"signature", [](BmpSpec&, std::vector<uint8_t>& f) { f[0] = 'X'; }},
      {"core header", patch32(14, 12)},
      {"header beyond the file", patch32(14, 4000)},
      {"zero width", patch32(18, 0)},
      {"width too large", patch32(18, 16385)},
      {"height INT_MIN", patch32(22, 0x80000000)},
      {"too many pixels", [](BmpSpec&, std::vector<uint8_t>& f) {
         for (size_t at : {18, 22}) { f[at] = 0; f[at + 1] = 0x40; f[at + 2] = 0; f[at + 3] = 0; }
       }},
      {"bit count 2", patch16(28, 2)},
      {"run-length compression", patch32(30, 1)},
      {"bit fields on 24 bits", patch32(30, 3)},
      {"pixel data truncated", [](BmpSpec&, std::vector<uint8_t>& f) { f.pop_back(); }},
      {"pixel offset beyond the file", patch32(10, 0xFFFFFFF0)},
      {"colour table beyond the file", [](BmpSpec&, std::vector<uint8_t>& f) {
         f[28] = 8;
         f[46] = 200;
       }},
  };
  for (const auto& [name, edit] : cases) {
    BmpSpec form{.width = 2, .height = 2, .bitCount = 24, .rows = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}};
    auto file = MakeBmp(form);
    edit(form, file);
    TVrFastBMP bmp(1, 1);
    TVrFast256 indexed(1, 1);
    EXPECT_THROW(bmp.LoadFromMemory(file), project::KpfError) << name;
    EXPECT_THROW(indexed.LoadFromMemory(file), project::KpfError) << name;
    EXPECT_EQ(bmp.Width(), 1) << name;
    EXPECT_EQ(indexed.Width(), 1) << name;
  }
}

TEST(BmpLoading, LoadsFromFileAndReportsMissingFiles) {
  auto dir = std::filesystem::temp_directory_path() / ("kpf_bmp_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto path = (dir / "one.bmp").string();
  auto file = MakeBmp({.width = 1, .height = 1, .bitCount = 24, .rows = {{1, 2, 3}}});
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
  TVrFastBMP bmp;
  bmp.LoadFromFile(path);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x030201u);
  EXPECT_THROW(bmp.LoadFromFile((dir / "missing.bmp").string()), project::KpfError);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kpf::render
