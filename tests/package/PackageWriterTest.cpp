// Package copies with the current values of persistent variables.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "package/PackageReader.hpp"
#include "package/PackageWriter.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

using testing::Bytes;
using testing::FakeHost;
using testing::PackageBuilder;
using testing::ScratchFolder;

class SavePackageCopyTest : public ::testing::Test {
 protected:
  std::vector<std::string> FolderEntries() const { return ScratchFolder::Names(scratch.Path("out")); }
  static std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

  ScratchFolder scratch;
  FakeHost host;
  std::string target = (std::filesystem::create_directories(scratch.Path("out")), scratch.Path("out/copy.exe"));
};

TEST_F(SavePackageCopyTest, CopyWithoutPersistentValuesReadsBackTheSame) {
  PackageBuilder builder;
  builder.IntValue(1, 5).End();
  std::string exe = scratch.Write("player.exe", builder.Build());
  ASSERT_TRUE(SavePackageCopy(target, host, exe));

  // The 203 record is dropped, the list still ends with 255.
  EXPECT_EQ(ScratchFolder::Read(target), Text(PackageBuilder().End().Build()));

  ExtractedFileList extracted;
  FakeHost reader;
  ReadPackage(target, reader, extracted, scratch.Tmp() + "/");
  EXPECT_EQ(reader.loads, std::vector<Bytes>{builder.block});
  EXPECT_EQ(reader.headers.at(0).AboutText, builder.header.AboutText);
  EXPECT_TRUE(reader.applied.empty());
}

TEST_F(SavePackageCopyTest, KeepsResourcesAndWritesChangedValues) {
  PackageBuilder builder;
  builder.header.Title = "  ";  // written back untrimmed
  builder.Record(kTagElampDll, {1, 2, 3}).Record(150, {4}).TextValue(2, "old").NamedFile("a\\b.txt", "B").End();
  std::string exe = scratch.Write("player.exe", builder.Build());
  host.changed = {{2, kValueText, 0, "new text"}, {3, kValueInteger, -5, ""}};
  ASSERT_TRUE(SavePackageCopy(target, host, exe));

  PackageBuilder expected;
  expected.header.Title = "  ";
  expected.Record(kTagElampDll, {1, 2, 3}).Record(150, {4}).NamedFile("a\\b.txt", "B").TextValue(2, "new text");
  expected.IntValue(3, -5).End();
  EXPECT_EQ(ScratchFolder::Read(target), Text(expected.Build()));
}

TEST_F(SavePackageCopyTest, CopyKeepsTheExecutableMode) {
  std::string exe = scratch.Write("player.exe", PackageBuilder().End().Build());
  ::chmod(exe.c_str(), 0750);
  ASSERT_TRUE(SavePackageCopy(target, host, exe));
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0750u);
}

TEST_F(SavePackageCopyTest, ReplacesAnExistingTarget) {
  scratch.Write("out/copy.exe", testing::ToBytes("old"));
  std::string exe = scratch.Write("player.exe", PackageBuilder().End().Build());
  ASSERT_TRUE(SavePackageCopy(target, host, exe));
  EXPECT_EQ(ScratchFolder::Read(target), ScratchFolder::Read(exe));
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"copy.exe"});
}

TEST_F(SavePackageCopyTest, RefusesExecutablesWithoutACompletePackage) {
  scratch.Write("out/copy.exe", testing::ToBytes("old"));
  Bytes noTrailer = PackageBuilder().End().Build();
  noTrailer.back() = 1;
  PackageBuilder damaged;
  damaged.records.u32(kTagNamedFile).u32(5000);
  for (const Bytes& file : {noTrailer, damaged.Build(), Bytes{1, 2, 3}}) {
    EXPECT_FALSE(SavePackageCopy(target, host, scratch.Write("bad.exe", file)));
    EXPECT_EQ(ScratchFolder::Read(target), "old");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"copy.exe"});  // no partial copy left
  }
  EXPECT_FALSE(SavePackageCopy(target, host, scratch.Path("missing.exe")));
}

TEST_F(SavePackageCopyTest, UnwritableTargetFailsSilently) {
  std::string exe = scratch.Write("player.exe", PackageBuilder().End().Build());
  EXPECT_FALSE(SavePackageCopy(scratch.Path("no/such/folder/copy.exe"), host, exe));
}

TEST_F(SavePackageCopyTest, ReadsTheRunningExecutableByDefault) {
  // The test program carries no package, so the copy is refused without writing anything.
  EXPECT_FALSE(SavePackageCopy(target, host));
  EXPECT_TRUE(FolderEntries().empty());
}

}  // namespace
}  // namespace kpf::package
