// kpftool info sees a package as the player does: the title after the empty-title rule (with
// the stored one beside it when they differ) and the variable values after the package's initial
// values. Pictures with a side of 0 load as empty pictures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/TFormKPFPlayer.hpp"
#include "package/PackageReader.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "project/ByteBuilder.hpp"
#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"
#include "tools/TwoVariables.hpp"
#include "tools/kpftool/JsonDocument.hpp"

namespace kpf::tests {
namespace {

namespace fs = std::filesystem;
using tools::Json;

project::PackageRecord IntValue(int32_t id, int32_t value) {
  return {203, test::ByteBuilder().i32(id).u8(0).i32(value).bytes()};
}
project::PackageRecord TextValue(int32_t id, const std::string& value) {
  return {203, test::ByteBuilder().i32(id).u8(1).nul(value).bytes()};
}

struct PackageCase {
  const char* name;
  std::string title;
  std::vector<project::PackageRecord> records;
};

std::string ValueText(const Json& value) {
  return value.is_string() ? value.get<std::string>() : std::to_string(value.get<int64_t>());
}

class InfoTest : public ::testing::Test {
 protected:
  InfoTest() : scratch_("info") {}

  fs::path WritePackage(const PackageCase& c) {
    const fs::path path = scratch_ / (std::string(c.name) + ".exe");
    const std::vector<uint8_t> program = {'M', 'Z', 0x90, 0};
    const std::vector<uint8_t> block = project::CompressProject(project::WriteProjectStream(TwoVariables()));
    const std::vector<uint8_t> file = project::BuildPackage(program, block, {"3.0", "about", c.title, 0}, c.records);
    WriteBytes(path, file);
    return path;
  }

  Json Info(const fs::path& file) {
    const ToolResult result = RunTool({"info", "--no-pixels", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    return tools::ParseJson(result.output);
  }

  ScratchFolder scratch_;
};

TEST_F(InfoTest, TitleAndVariableValuesAreThoseThePlayerPlaysWith) {
  const std::vector<PackageCase> cases = {
      {"plain", "Pip", {}},
      {"empty title", "", {}},
      {"blank title", " \t\r\n", {IntValue(1, 42)}},
      {"padded title", " Pip ", {TextValue(2, "Bob"), IntValue(1, -3)}},
      {"later value wins", "Pip", {IntValue(1, 1), IntValue(1, 2), TextValue(2, "x"), TextValue(2, "y")}},
      {"unknown id and tag", "Pip", {IntValue(99, 5), {150, {1, 2, 3}}, TextValue(1, "12")}},
      {"value that does not convert", "Pip", {TextValue(1, "twelve"), TextValue(2, "kept")}},
  };
  platform::headless::HeadlessPlatform desktop;
  fs::create_directories(scratch_ / "resources");
  for (const PackageCase& c : cases) {
    const fs::path file = WritePackage(c);
    engine::TFormKPFPlayer player(desktop, engine::PlayerOptions{});
    package::ExtractedFileList extracted;
    ASSERT_TRUE(package::ReadPackage(file.string(), player, extracted, (scratch_ / "resources").string() + "/")
                    .ProjectLoaded)
        << c.name;

    const Json info = Info(file);
    const Json* header = tools::JsonMember(info, "header");
    ASSERT_NE(header, nullptr) << c.name;
    EXPECT_EQ(header->at("title").get<std::string>(), player.Title) << c.name;
    const Json* stored = tools::JsonMember(*header, "storedTitle");
    EXPECT_EQ(stored != nullptr, c.title != player.Title) << c.name;
    if (stored != nullptr) {
      EXPECT_EQ(stored->get<std::string>(), c.title) << c.name;
    }

    size_t compared = 0;
    for (const Json& variable : info.at("project").at("variables")) {
      const project::TTaviVariable* own = player.Model.VariableByName(variable.at("name").get<std::string>());
      ASSERT_NE(own, nullptr) << c.name;
      if (own->IsSystem()) continue;
      EXPECT_EQ(ValueText(*tools::JsonMember(variable, "value")), own->GetValue().ToText()) << c.name << ": " << own->Name;
      ++compared;
    }
    EXPECT_EQ(compared, 2u) << c.name;
  }
  // Spot checks that the comparisons above compared the package's values.
  const Json blank = Info(scratch_ / "blank title.exe");
  EXPECT_EQ(blank.at("header").at("title").get<std::string>(), "Tavimo");
  EXPECT_EQ(blank.at("project").at("variables")[0].at("value").get<int64_t>(), 42);
  const Json later = Info(scratch_ / "later value wins.exe");
  EXPECT_EQ(later.at("project").at("variables")[1].at("value").get<std::string>(), "y");
}

// A 0 x 0 picture and a 0 x 3 one load as empty pictures: the project loads, the pictures have
// the digest of no bytes, and extract and pack carry them through.
TEST_F(InfoTest, PicturesWithASideOfZeroLoadAsEmptyPictures) {
  project::ProjectSource source = TwoVariables();
  source.Images.push_back({.Width = 0, .Height = 0});
  source.Images.push_back({.Width = 0, .Height = 3, .Form = 1});
  source.Animations[0].Frames.push_back({.BitmapIndex = 1, .Duration = 10});
  const fs::path file = scratch_ / "empty.kpf";
  WriteBytes(file, project::BuildProjectFile(source));

  const ToolResult result = RunTool({"info", file.string()});
  ASSERT_EQ(result.exitCode, 0) << result.output;
  const Json info = tools::ParseJson(result.output);
  const Json& images = info.at("project").at("images");
  ASSERT_EQ(images.size(), 3u);
  for (size_t i : {1u, 2u}) {
    EXPECT_EQ(images[i].at("width").get<int64_t>(), 0);
    EXPECT_EQ(images[i].at("pixelsSha256").get<std::string>(),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_FALSE(images[i].at("hasAlpha").get<bool>());
  }
  EXPECT_EQ(images[2].at("height").get<int64_t>(), 3);
  EXPECT_EQ(images[2].at("form").get<int64_t>(), 1);

  const ToolResult extracted = RunTool({"extract", file.string(), (scratch_ / "source").string()});
  ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
  const ToolResult packed = RunTool({"pack", (scratch_ / "source").string(), "-o", (scratch_ / "again.kpf").string()});
  ASSERT_EQ(packed.exitCode, 0) << packed.output;
  EXPECT_EQ(InfoJson(scratch_ / "again.kpf"), InfoJson(file));
}

}  // namespace
}  // namespace kpf::tests
