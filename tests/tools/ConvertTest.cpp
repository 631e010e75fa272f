// kpftool convert: a generated package with resources and tag-203 values becomes a project file
// with its sidecar and resource folder, and converting that back gives the same package.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "project/ByteBuilder.hpp"
#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"
#include "tools/TwoVariables.hpp"
#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;
using test::ByteBuilder;

project::PackageRecord NamedFile(const std::string& name, const std::string& content) {
  return {202, ByteBuilder().nul(name).text(content).bytes()};
}

class ConvertTest : public ::testing::Test {
 protected:
  ConvertTest() : scratch_("convert") {}
  ScratchFolder scratch_;
};

TEST_F(ConvertTest, PackageToProjectAndBackKeepsModelAndResources) {
  const std::vector<uint8_t> program = {'M', 'Z', 0x90, 0, 1, 2, 3};
  const fs::path player = scratch_ / "player.bin";
  WriteBytes(player, program);
  const std::vector<project::PackageRecord> records = {
      NamedFile("notes.txt", "first line\r\n"),
      {203, ByteBuilder().i32(1).u8(0).i32(42).bytes()},
      NamedFile("sub\\pic.bmp", std::string("BM\0\1", 4)),
      {203, ByteBuilder().i32(2).u8(1).nul("Bob").bytes()},
      {203, ByteBuilder().i32(2).u8(1).bytes()},  // cut short: kept as raw data
  };
  const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(TwoVariables(0x7F)));
  const std::vector<uint8_t> original =
      project::BuildPackage(program, block, {"3.0", "about \xe9", "Pip", 1}, records);
  const fs::path in = scratch_ / "pip.exe";
  WriteBytes(in, original);

  const fs::path kpf = scratch_ / "out" / "pip.kpf";
  const ToolResult toProject = RunTool({"convert", in.string(), "-o", kpf.string()});
  ASSERT_EQ(toProject.exitCode, 0) << toProject.output;
  EXPECT_EQ(ReadBytes(kpf), block);
  EXPECT_EQ(ReadBytes(scratch_ / "out" / "pip.resources" / "notes.txt"),
            (std::vector<uint8_t>{'f', 'i', 'r', 's', 't', ' ', 'l', 'i', 'n', 'e', '\r', '\n'}));
  EXPECT_TRUE(fs::is_regular_file(scratch_ / "out" / "pip.resources" / "pic.bmp"));
  EXPECT_TRUE(fs::is_regular_file(scratch_ / "out" / "pip.package.json"));

  const fs::path back = scratch_ / "back.exe";
  const ToolResult toPackage =
      RunTool({"convert", kpf.string(), "-o", back.string(), "--package", "--player", player.string()});
  ASSERT_EQ(toPackage.exitCode, 0) << toPackage.output;
  EXPECT_EQ(ReadBytes(back), original);
  EXPECT_TRUE(InfoJson(back) == InfoJson(in));  // the same model and resources
  // ... and that model holds the tag-203 values, that list the resources.
  const tools::Json info = tools::ParseJson(InfoJson(back));
  std::map<std::string, tools::Json> values;
  for (const auto& variable : info.at("project").at("variables"))
    values[variable.at("name").get<std::string>()] = variable.at("value");
  EXPECT_EQ(values["COUNT"], 42);
  EXPECT_EQ(values["NAME"], "");  // the last value for NAME ends before its text: empty
  const tools::Json& resources = info.at("resources");
  ASSERT_EQ(resources.size(), 5u) << resources.dump();
  EXPECT_EQ(resources[0].at("name").get<std::string>(), "notes.txt");
  EXPECT_EQ(resources[2].at("name").get<std::string>(), "sub\\pic.bmp");
}

TEST_F(ConvertTest, ProjectWithoutSidecarBecomesPackageWithoutRecords) {
  const fs::path kpf = scratch_ / "plain.kpf";
  WriteBytes(kpf, project::BuildProjectFile(TwoVariables(0x7F)));
  const fs::path player = scratch_ / "player.bin";
  WriteBytes(player, std::vector<uint8_t>{'M', 'Z'});
  const fs::path out = scratch_ / "plain.exe";
  ASSERT_EQ(RunTool({"convert", kpf.string(), "-o", out.string(), "--package", "--player", player.string()}).exitCode, 0);
  const std::string info = InfoJson(out);
  EXPECT_NE(info.find("\"kind\":\"package\""), std::string::npos) << info;
  EXPECT_NE(info.find("\"resources\":[]"), std::string::npos) << info;
  // A project file needs --package; the way back from a package needs none.
  EXPECT_NE(RunTool({"convert", kpf.string(), "-o", (scratch_ / "x.kpf").string()}).exitCode, 0);
  EXPECT_NE(RunTool({"convert", out.string(), "-o", (scratch_ / "y.exe").string(), "--package"}).exitCode, 0);
}

}  // namespace
}  // namespace kpf::tests
