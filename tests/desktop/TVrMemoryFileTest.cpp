#include "desktop/TVrMemoryFile.hpp"
#include "desktop/TVrMemoryFileWriter.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace kpf::desktop {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Content(const TVrMemoryFile& file) { return {file.Bytes().begin(), file.Bytes().end()}; }

std::string ErrorOf(const std::string& name, size_t size) {
  try {
    TVrMemoryFile file(name, size);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

// A file of the given bytes in the temp folder, named after the test; removed at the end.
struct TempFile {
  TempFile(const std::string& suffix, const std::vector<uint8_t>& bytes)
      : path(fs::temp_directory_path() /
             ("kpf-memfile-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + suffix)) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
  }
  ~TempFile() { fs::remove(path); }
  fs::path path;
};

TEST(TVrMemoryFile, AnonymousBlockIsZeroFilledWritableAndMovable) {
  const size_t oneMegabyte = 1 << 20;
  TVrMemoryFile first("", oneMegabyte);
  ASSERT_GE(first.Size(), oneMegabyte);
  EXPECT_EQ(first.Memory()[oneMegabyte - 1], 0);
  first.Memory()[oneMegabyte - 1] = 0x34;
  EXPECT_EQ(first.Bytes()[oneMegabyte - 1], 0x34);
  uint8_t* const memory = first.Memory();
  TVrMemoryFile second(std::move(first));
  EXPECT_EQ(first.Memory(), nullptr);
  EXPECT_EQ(first.Size(), 0u);
  TVrMemoryFile third("", 100);
  third = std::move(second);
  EXPECT_EQ(third.Memory(), memory);
  EXPECT_EQ(third.Memory()[oneMegabyte - 1], 0x34);
}

TEST(TVrMemoryFile, EmptyFormsHaveNoMapping) {
  TVrMemoryFile none;
  TVrMemoryFile zeroSized("", 0);
  for (TVrMemoryFile* file : {&none, &zeroSized}) {
    EXPECT_EQ(file->Memory(), nullptr);
    EXPECT_EQ(file->Size(), 0u);
    file->MakeReadOnly();  // nothing to protect, must not fail
  }
}

TEST(TVrMemoryFile, NamedFileIsMappedCopyOnWrite) {
  const TempFile temp("", {1, 2, 3, 4, 5});
  {
    TVrMemoryFile whole(temp.path, 0);
    EXPECT_EQ(Content(whole), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    whole.Memory()[0] = 99;  // stays in memory
    EXPECT_EQ(Content(TVrMemoryFile(temp.path, 3)), (std::vector<uint8_t>{1, 2, 3}));
  }
  EXPECT_EQ(std::ifstream(temp.path, std::ios::binary).get(), 1);
}

TEST(TVrMemoryFile, FailuresCarryTheirMessages) {
  const TempFile temp("", {1, 2, 3});
  const TempFile empty("-empty", {});
  EXPECT_EQ(ErrorOf("/nonexistent/dir/file.tavi", 10), "Unable to open file.");
  EXPECT_EQ(ErrorOf(fs::temp_directory_path().string(), 10), "Unable to open file.");
  // A view past the end of the file would fault on access.
  EXPECT_EQ(ErrorOf(temp.path, 4), "Unable to map file.");
  EXPECT_EQ(ErrorOf(empty.path, 0), "Unable to map file.");
  EXPECT_EQ(ErrorOf("", static_cast<size_t>(-1) / 2), "Unable to map file.");
}

TEST(TVrMemoryFileDeathTest, ReadOnlyBlockFaultsOnWrite) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TVrMemoryFile file("", 4096);
  file.Memory()[0] = 5;
  file.MakeReadOnly();
  EXPECT_TRUE(file.ReadOnly());
  EXPECT_EQ(file.Memory()[0], 5);
  EXPECT_DEATH(file.Memory()[1] = 1, "");
}

TEST(TVrMemoryFileWriter, FinishMapsEverythingAppendedAndTheWriterIsReusable) {
  TVrMemoryFileWriter writer;
  writer.Append({});
  EXPECT_EQ(writer.Finish().Memory(), nullptr);  // nothing written: an empty block
  std::vector<uint8_t> expected;
  for (size_t chunk : {1u, 0u, 4096u, 70000u, 3u}) {
    std::vector<uint8_t> bytes(chunk);
    std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(chunk));
    EXPECT_EQ(writer.Size(), expected.size());
    writer.Append(bytes);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  const TVrMemoryFile block = writer.Finish();
  EXPECT_TRUE(block.ReadOnly());
  EXPECT_EQ(Content(block), expected);
  EXPECT_EQ(writer.Size(), 0u);
}

}  // namespace
}  // namespace kpf::desktop
