// Applying a package to a player (project, header, resource files and initial values), and
// package copies with the current values of persistent variables.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "package/PackageReader.hpp"
#include "package/PackageWriter.hpp"
#include "package/ResourceFiles.hpp"
#include "tests/package/PackageBuilder.hpp"

namespace kpf::package {
namespace {

using testing::Bytes;
using testing::FakeHost;
using testing::PackageBuilder;
using testing::ScratchFolder;

class ReadPackageTest : public ::testing::Test {
 protected:
  PackageReadResult Read(const PackageBuilder& builder) { return Read(builder.Build()); }
  PackageReadResult Read(const Bytes& file) {
    return ReadPackage(scratch.Write("player.exe", file), host, extracted, resources);
  }
  std::string Resource(const std::string& name) const { return resources + name; }

  ScratchFolder scratch;
  std::string resources = GetResourceFolder();
  FakeHost host;
  ExtractedFileList extracted;
};

TEST_F(ReadPackageTest, FileWithoutPackageOrWithABlockPastTheTrailerLoadsNothing) {
  Bytes noTrailer = PackageBuilder().End().Build();
  noTrailer[noTrailer.size() - 4] = 0;  // the last u32 is no longer 130
  Bytes blockPastTrailer = PackageBuilder().End().Build();
  blockPastTrailer[PackageBuilder().image.size()] = 0xF0;  // N now reaches past the trailer
  EXPECT_FALSE(Read(noTrailer).PackageFound);
  PackageReadResult result = Read(blockPastTrailer);
  EXPECT_TRUE(result.PackageFound);
  EXPECT_FALSE(result.ProjectLoaded);
  EXPECT_FALSE(ReadPackage(scratch.Path("missing.exe"), host, extracted, resources).ProjectLoaded);
  EXPECT_TRUE(host.loads.empty());
  EXPECT_TRUE(host.headers.empty());
}

TEST_F(ReadPackageTest, LoadsProjectHeaderFilesAndValues) {
  PackageBuilder builder;
  builder.header.Title = "   ";
  builder.Record(kTagElampDll, {1, 2}).Record(kTagNpmodDll, {3}).NamedFile("sounds\\ding.wav", "RIFF").IntValue(1, 42).End();
  PackageReadResult result = Read(builder);
  EXPECT_TRUE(result.ProjectLoaded);
  EXPECT_TRUE(result.Error.empty());
  EXPECT_EQ(host.loads, std::vector<Bytes>{builder.block});
  ASSERT_EQ(host.headers.size(), 1u);
  EXPECT_EQ(std::tuple(host.headers[0].Title, host.headers[0].DesignVersion), std::tuple("Tavimo", "3.01"));
  EXPECT_EQ(resources, scratch.Tmp() + "/");  // resources go to the temporary folder
  EXPECT_EQ(ScratchFolder::Read(Resource("elamp.dll")), std::string("\x01\x02"));
  EXPECT_EQ(ScratchFolder::Read(Resource("npmod32.dll")), std::string("\x03"));
  EXPECT_EQ(ScratchFolder::Read(Resource("sounds/ding.wav")), "RIFF");
  EXPECT_EQ(extracted.Paths(), (std::vector<std::string>{Resource("elamp.dll"), Resource("npmod32.dll"),
                                                         Resource("sounds/ding.wav")}));
  ASSERT_EQ(host.applied.size(), 1u);
  EXPECT_EQ(host.applied[0].IntValue, 42);
}

// Looking at a package (the tools) applies what the player applies but writes no file.
TEST_F(ReadPackageTest, ApplyingAPackageWithoutAFolderWritesNoFile) {
  PackageBuilder builder;
  builder.header.Title = "\t";
  builder.Record(kTagElampDll, {1}).NamedFile("note.txt", "x").TextValue(2, "hi").End();
  const Bytes file = builder.Build();
  const std::optional<PackageLayout> layout = ParsePackage(file);
  ASSERT_TRUE(layout);
  const PackageReadResult result = ApplyPackage(*layout, host);
  EXPECT_TRUE(result.ProjectLoaded);
  EXPECT_TRUE(result.HeaderApplied);
  ASSERT_EQ(host.headers.size(), 1u);
  EXPECT_EQ(host.headers[0].Title, "Tavimo");
  ASSERT_EQ(host.applied.size(), 1u);
  EXPECT_EQ(host.applied[0].Text, "hi");
  EXPECT_TRUE(std::filesystem::is_empty(resources));
}

// The trailer alone tells a package: the magic, and a project offset whose length field lies
// before the trailer. Nothing else of the file is read.
TEST_F(ReadPackageTest, PackageFileIsToldByItsTrailer) {
  const auto trailer = [](uint32_t offset, uint32_t magic) {
    return test::ByteBuilder().raw(testing::ToBytes("MZ-image")).u32(offset).u32(magic).bytes();
  };
  EXPECT_TRUE(IsPackageFile(scratch.Write("Pip.EXE", PackageBuilder().End().Build())));
  EXPECT_TRUE(IsPackageFile(scratch.Write("edge", trailer(4, PackageTrailerMagic))));  // length field at S-12
  EXPECT_FALSE(IsPackageFile(scratch.Write("past", trailer(5, PackageTrailerMagic))));
  EXPECT_FALSE(IsPackageFile(scratch.Write("magic", trailer(0, 131))));
  EXPECT_FALSE(IsPackageFile(scratch.Write("short", test::ByteBuilder().u32(PackageTrailerMagic).bytes())));
  EXPECT_FALSE(IsPackageFile(scratch.Path("missing.exe")));
  EXPECT_FALSE(IsPackageFile(scratch.Tmp()));
}

TEST_F(ReadPackageTest, ExistingFileIsNeitherOverwrittenNorListed) {
  scratch.Write("tmp/readme.txt", testing::ToBytes("mine"));
  Read(PackageBuilder().NamedFile("readme.txt", "theirs").NamedFile("new.txt", "x").End());
  EXPECT_EQ(ScratchFolder::Read(Resource("readme.txt")), "mine");
  EXPECT_EQ(extracted.Paths(), std::vector<std::string>{Resource("new.txt")});
}

TEST_F(ReadPackageTest, LinksAreNeverFollowed) {
  std::string victim = scratch.Write("victim.txt", testing::ToBytes("safe"));
  std::filesystem::create_symlink(victim, Resource("link.txt"));
  std::filesystem::create_directories(scratch.Path("elsewhere"));
  std::filesystem::create_directory_symlink(scratch.Path("elsewhere"), Resource("linkdir"));
  Read(PackageBuilder().NamedFile("link.txt", "evil").NamedFile("linkdir\\x.txt", "evil").IntValue(2, 5).End());
  EXPECT_EQ(ScratchFolder::Read(victim), "safe");
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("elsewhere/x.txt")));
  EXPECT_TRUE(extracted.Paths().empty());
  ASSERT_EQ(host.applied.size(), 1u);  // records after the refused ones still apply
}

// Bad names, and a name that cannot be written (a file where a folder is needed).
TEST_F(ReadPackageTest, BadOrUnwritableNamesSkipOnlyTheirRecord) {
  scratch.Write("tmp/blocker", testing::ToBytes("a file where a folder is needed"));
  PackageBuilder builder;
  for (const char* name : {"..\\escape.txt", "\\abs.txt", "C:\\drive.txt", "a\\\\b.txt", "", "blocker\\x.txt"})
    builder.NamedFile(name, "bad");
  builder.NamedFile("deep\\er\\ok.txt", "good").TextValue(3, "after").End();
  Read(builder);
  EXPECT_FALSE(std::filesystem::exists(scratch.Path("escape.txt")));
  EXPECT_FALSE(std::filesystem::exists("/abs.txt"));
  EXPECT_EQ(ScratchFolder::Read(Resource("deep/er/ok.txt")), "good");
  EXPECT_EQ(extracted.Paths(), std::vector<std::string>{Resource("deep/er/ok.txt")});
  ASSERT_EQ(host.applied.size(), 1u);
  EXPECT_EQ(host.applied[0].Text, "after");
}

TEST_F(ReadPackageTest, VariableValuesAndValuesThatCannotBeConvertedSkipOnlyTheirRecord) {
  host.unconvertibleId = 3;  // e.g. a text of digits beyond 32 bits for an integer variable
  PackageBuilder builder;
  builder.Record(150, Bytes(20, 0xEE))                // unknown tag: skipped by its length
      .IntValue(99, 1)                                 // unknown id: no effect
      .IntValue(1, 10)
      .Record(kTagVariableValue, {2, 0, 0, 0, 7, 1})  // unknown kind: nothing
      .Record(kTagVariableValue, {2, 0})              // cut short: this record only is skipped
      .TextValue(3, "99999999999")                     // the host cannot convert it
      .NamedFile("after.txt", "x")
      .TextValue(1, "later wins")
      .End();
  auto result = Read(builder);
  EXPECT_TRUE(result.ProjectLoaded);
  EXPECT_TRUE(result.Error.empty());
  ASSERT_EQ(host.applied.size(), 2u);
  EXPECT_EQ(host.applied[0].IntValue, 10);
  EXPECT_EQ(host.applied.back().Text, "later wins");
  EXPECT_EQ(extracted.Paths().size(), 1u);
}

TEST_F(ReadPackageTest, HeaderDirectlyFollowedByTrailer) {
  PackageBuilder builder;
  builder.recordList = false;
  PackageReadResult result = Read(builder);
  EXPECT_TRUE(result.HeaderApplied);
  EXPECT_TRUE(result.Error.empty());
  EXPECT_EQ(host.headers.at(0).Title, "My Title");
}

TEST_F(ReadPackageTest, LoaderFailureEndsTheReadSilently) {
  host.failLoad = true;
  PackageReadResult result = Read(PackageBuilder().NamedFile("a.txt", "a").IntValue(1, 1).End());
  EXPECT_FALSE(result.ProjectLoaded);
  EXPECT_EQ(result.Error, "data error");
  EXPECT_TRUE(host.headers.empty());
  EXPECT_TRUE(extracted.Paths().empty());
}

TEST_F(ReadPackageTest, DamagedRecordListKeepsWhatCameBefore) {
  PackageBuilder builder;
  builder.NamedFile("first.txt", "1").IntValue(1, 1).records.u32(kTagNamedFile).u32(0x7FFFFFFF);
  PackageReadResult result = Read(builder);
  EXPECT_FALSE(result.Error.empty());
  EXPECT_EQ(extracted.Paths(), std::vector<std::string>{Resource("first.txt")});
  EXPECT_EQ(host.applied.size(), 1u);
}

TEST_F(ReadPackageTest, ExtractedFilesArePrivate) {
  Read(PackageBuilder().NamedFile("p.txt", "x").End());
  struct stat info;
  ASSERT_EQ(::stat(Resource("p.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u);
  { ExtractedFileList ending = std::move(extracted); }  // a list deletes its files when it ends
  EXPECT_FALSE(std::filesystem::exists(Resource("p.txt")));
}

TEST(LoadFromFile, HandsTheWholeFileToTheLoader) {
  ScratchFolder scratch;
  FakeHost host;
  std::vector<std::string> messages;
  auto report = [&](const std::string& text) { messages.push_back(text); };
  EXPECT_TRUE(LoadFromFile(scratch.Write("p.kpf", testing::ToBytes("zlib-data")), host, report));
  EXPECT_EQ(host.loads, std::vector<Bytes>{testing::ToBytes("zlib-data")});
  EXPECT_TRUE(messages.empty());

  EXPECT_FALSE(LoadFromFile(scratch.Path("missing.kpf"), host, report));
  host.failLoad = true;
  EXPECT_FALSE(LoadFromFile(scratch.Path("p.kpf"), host, report));
  EXPECT_EQ(messages, (std::vector<std::string>{"Error decoding file", "Error decoding file"}));
}

// ---- package copies ----

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

TEST_F(SavePackageCopyTest, ReplacesAnExistingTargetAndKeepsTheExecutableMode) {
  scratch.Write("out/copy.exe", testing::ToBytes("old"));
  std::string exe = scratch.Write("player.exe", PackageBuilder().End().Build());
  ::chmod(exe.c_str(), 0750);
  ASSERT_TRUE(SavePackageCopy(target, host, exe));
  EXPECT_EQ(ScratchFolder::Read(target), ScratchFolder::Read(exe));
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"copy.exe"});
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0750u);
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

TEST_F(SavePackageCopyTest, UnwritableTargetOrNoPackageInTheRunningExecutableFailsSilently) {
  std::string exe = scratch.Write("player.exe", PackageBuilder().End().Build());
  EXPECT_FALSE(SavePackageCopy(scratch.Path("no/such/folder/copy.exe"), host, exe));
  // By default the running executable is read: the test program carries no package.
  EXPECT_FALSE(SavePackageCopy(target, host));
  EXPECT_TRUE(FolderEntries().empty());
}

}  // namespace
}  // namespace kpf::package
