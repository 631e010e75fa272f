#include "desktop/TVrMemoryFile.hpp"
#include "desktop/TVrMemoryFileWriter.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

namespace kpf::desktop {
namespace {

namespace fs = std::filesystem;

std::string ErrorOf(const std::string& name, size_t size) {
  try {
    TVrMemoryFile file(name, size);
  } catch (const std::runtime_error& error) {
    return error.what();
  }
  return "";
}

class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes) {
    std::string pattern = (fs::temp_directory_path() / "kpf-memfile-XXXXXX").string();
    const int fd = ::mkstemp(pattern.data());
    if (fd >= 0) ::close(fd);
    path_ = pattern;
    std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() { fs::remove(path_); }
  std::string path() const { return path_.string(); }

 private:
  fs::path path_;
};

TEST(TVrMemoryFile, AnonymousBlockIsWritableAndZeroFilled) {
  const size_t oneMegabyte = 1 << 20;
  TVrMemoryFile file("", oneMegabyte);
  ASSERT_NE(file.Memory(), nullptr);
  ASSERT_GE(file.Size(), oneMegabyte);
  EXPECT_EQ(file.Memory()[oneMegabyte - 1], 0);
  file.Memory()[oneMegabyte - 1] = 0x34;
  EXPECT_EQ(file.Bytes()[oneMegabyte - 1], 0x34);
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

TEST(TVrMemoryFile, MoveTransfersOwnership) {
  TVrMemoryFile first("", 4096);
  first.Memory()[7] = 9;
  uint8_t* const memory = first.Memory();
  TVrMemoryFile second(std::move(first));
  EXPECT_EQ(first.Memory(), nullptr);
  EXPECT_EQ(first.Size(), 0u);
  TVrMemoryFile third("", 100);
  third = std::move(second);
  EXPECT_EQ(third.Memory(), memory);
  EXPECT_EQ(third.Size(), 4096u);
  EXPECT_EQ(third.Memory()[7], 9);
}

TEST(TVrMemoryFile, NamedFileIsMappedCopyOnWrite) {
  const std::vector<uint8_t> content{1, 2, 3, 4, 5};
  TempFile temp(content);
  {
    TVrMemoryFile whole(temp.path(), 0);
    ASSERT_EQ(whole.Size(), content.size());
    EXPECT_EQ(std::vector<uint8_t>(whole.Bytes().begin(), whole.Bytes().end()), content);
    whole.Memory()[0] = 99;  // stays in memory
    TVrMemoryFile prefix(temp.path(), 3);
    EXPECT_EQ(prefix.Size(), 3u);
    EXPECT_EQ(prefix.Memory()[2], 3);
  }
  std::ifstream in(temp.path(), std::ios::binary);
  EXPECT_EQ(in.get(), 1);
}

TEST(TVrMemoryFile, FailuresCarryTheirMessages) {
  TempFile temp({1, 2, 3});
  TempFile empty({});
  EXPECT_EQ(ErrorOf("/nonexistent/dir/file.tavi", 10), "Unable to open file.");
  EXPECT_EQ(ErrorOf(fs::temp_directory_path().string(), 10), "Unable to open file.");
  // A view past the end of the file would fault on access.
  EXPECT_EQ(ErrorOf(temp.path(), 4), "Unable to map file.");
  EXPECT_EQ(ErrorOf(empty.path(), 0), "Unable to map file.");
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

TEST(TVrMemoryFileWriter, FinishMapsEverythingAppended) {
  TVrMemoryFileWriter writer;
  std::vector<uint8_t> expected;
  for (size_t chunk : {1u, 0u, 4096u, 70000u, 3u}) {
    std::vector<uint8_t> bytes(chunk);
    std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(chunk));
    EXPECT_EQ(writer.Size(), expected.size());
    writer.Append(bytes);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  TVrMemoryFile block = writer.Finish();
  EXPECT_TRUE(block.ReadOnly());
  ASSERT_EQ(block.Size(), expected.size());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.Memory()));
  EXPECT_EQ(writer.Size(), 0u);
}

TEST(TVrMemoryFileWriter, NothingWrittenGivesEmptyBlockAndTheWriterIsReusable) {
  TVrMemoryFileWriter writer;
  writer.Append({});
  const TVrMemoryFile empty = writer.Finish();
  EXPECT_EQ(empty.Memory(), nullptr);
  EXPECT_EQ(empty.Size(), 0u);
  const std::vector<uint8_t> bytes{7, 8, 9};
  writer.Append(bytes);
  const TVrMemoryFile block = writer.Finish();
  EXPECT_EQ(std::vector<uint8_t>(block.Bytes().begin(), block.Bytes().end()), bytes);
}

}  // namespace
}  // namespace kpf::desktop
