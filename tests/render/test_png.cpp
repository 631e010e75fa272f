// PNG export and import: round trips with alpha, converted formats and rejected files.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "project/Errors.hpp"
#include "render/PngFile.hpp"

namespace kpf::render {
namespace {

class PngFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("kpf_png_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string PathOf(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

TEST_F(PngFileTest, RoundTripKeepsColoursAndStraightAlpha) {
  const std::vector<uint32_t> pixels = {0xFF102030, 0x80FF0000, 0x00ABCDEF, 0xFFFFFFFF, 0x01000000, 0xFE00FF00};
  WritePng(PathOf("a.png"), 3, 2, pixels);
  PngImage image = ReadPng(PathOf("a.png"));
  EXPECT_EQ(image.width, 3);
  EXPECT_EQ(image.height, 2);
  EXPECT_EQ(image.pixels, pixels);
}

TEST_F(PngFileTest, ReadsOtherFormatsAsOpaqueArgb) {
  png_image grey{};
  grey.version = PNG_IMAGE_VERSION;
  grey.width = 2;
  grey.height = 1;
  grey.format = PNG_FORMAT_GRAY;
  const uint8_t values[] = {0x00, 0x7F};
  ASSERT_TRUE(png_image_write_to_file(&grey, PathOf("g.png").c_str(), 0, values, 0, nullptr));
  EXPECT_EQ(ReadPng(PathOf("g.png")).pixels, (std::vector<uint32_t>{0xFF000000, 0xFF7F7F7F}));
}

TEST_F(PngFileTest, RejectsBadInputAndBadArguments) {
  std::ofstream(PathOf("bad.png")) << "not a picture";
  EXPECT_THROW(ReadPng(PathOf("bad.png")), project::KpfError);
  EXPECT_THROW(ReadPng(PathOf("missing.png")), project::KpfError);
  const std::vector<uint8_t> truncated = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0};
  EXPECT_THROW(ReadPngFromMemory(truncated), project::KpfError);
  const std::vector<uint32_t> three(3);
  EXPECT_THROW(WritePng(PathOf("x.png"), 2, 2, three), project::KpfError);
  EXPECT_THROW(WritePng(PathOf("x.png"), 0, 0, {}), project::KpfError);
  EXPECT_THROW(WritePng(PathOf("no/such/dir.png"), 1, 1, std::vector<uint32_t>{0}), project::KpfError);
}

}  // namespace
}  // namespace kpf::render
