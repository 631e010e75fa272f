// kpftool run: argument parsing and playing a package (header, initial values, not preview).
#include <gtest/gtest.h>

#include <fstream>

#include "TestProject.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::test {
namespace {

TEST(RunArguments, ParsesEveryOption) {
  const tools::RunOptions options = tools::ParseRunArguments(
      {"pet.exe", "--seconds", "3", "--seed", "9", "--screen", "800x600", "--click", "10,20@100", "--dblclick",
       "1,2@5", "--drag", "1,2:30,40@7", "--key", "65@8", "--menu", "Stay On Top@9", "--trace"});
  EXPECT_EQ(options.file, "pet.exe");
  EXPECT_EQ(options.seconds, 3);
  EXPECT_EQ(options.seed, 9u);
  EXPECT_EQ(options.screenWidth, 800);
  EXPECT_EQ(options.screenHeight, 600);
  EXPECT_TRUE(options.trace);
  ASSERT_EQ(options.inputs.size(), 5u);
  EXPECT_EQ(options.inputs[0].x1, 10);
  EXPECT_EQ(options.inputs[0].at, 100);
  EXPECT_EQ(options.inputs[2].x2, 30);
  EXPECT_EQ(options.inputs[2].y2, 40);
  EXPECT_EQ(options.inputs[3].code, 65);
  EXPECT_EQ(options.inputs[4].caption, "Stay On Top");
}

TEST(RunArguments, RejectsBadInput) {
  for (const tools::Arguments& args : std::vector<tools::Arguments>{
           {}, {"a", "b"}, {"a", "--seconds"}, {"a", "--seconds", "x"}, {"a", "--click", "1,2"},
           {"a", "--click", "12@5"}, {"a", "--drag", "1,2@5"}, {"a", "--screen", "800"}, {"a", "--bogus"}}) {
    EXPECT_THROW(tools::ParseRunArguments(args), std::invalid_argument);
  }
}

TEST(Run, PlaysAPackageWithHeaderAndInitialValues) {
  project::ProjectSource source;
  source.Images.push_back(SmallImage());
  source.OptionFlags = DefaultOptions();
  source.Variables.push_back(IntVariable(4, "START", 1));
  source.Variables.push_back(IntVariable(5, "COPY", 0));
  source.Scripts.push_back(Script(0, "start", {Act(22, {P::Var(5), P::Text("<%START%>")})}, 2));
  source.NextScriptId = 1;
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  const std::vector<uint8_t> compressed = project::CompressProject(project::WriteProjectStream(source));
  project::PackageRecord initial;
  initial.Tag = 203;
  initial.Data = {4, 0, 0, 0, 0, 42, 0, 0, 0};
  const std::vector<uint8_t> program = {'E', 'L', 'F', 0};
  const std::vector<uint8_t> package =
      project::BuildPackage(program, compressed, {"3.01", "About me", "Pet", 0}, {initial});
  const auto folder = WriteProjectFile(source, "unused").parent_path();
  const auto path = folder / "pet";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(package.data()),
                                              static_cast<std::streamsize>(package.size()));
  tools::RunOptions options = tools::ParseRunArguments({path.string(), "--seconds", "1", "--trace", "--menu", "About@100"});
  std::vector<std::string> lines;
  EXPECT_EQ(tools::RunHeadless(options, [&](const std::string& line) { lines.push_back(line); }), 0);
  std::filesystem::remove_all(folder);
  auto has = [&](const std::string& part) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; });
  };
  EXPECT_TRUE(has("var name=\"COPY\" value=\"42\""));
  EXPECT_TRUE(has("msgbox text=\"Pet\\x0aTavimo Design 3.01"));
  EXPECT_EQ(lines.back(), "1000 end");
}

TEST(Run, InitialValueThatCannotBeConvertedSkipsOnlyItsRecord) {
  project::ProjectSource source;
  source.Images.push_back(SmallImage());
  source.OptionFlags = DefaultOptions();
  source.Variables.push_back(IntVariable(4, "FIRST", 1));
  source.Variables.push_back(IntVariable(5, "SECOND", 2));
  source.Variables.push_back(IntVariable(6, "THIRD", 3));
  source.Variables.push_back(IntVariable(7, "SUM", 0));
  source.Scripts.push_back(
      Script(0, "start", {Act(22, {P::Var(7), P::Text("<%FIRST%> * 10000 + <%SECOND%> * 100 + <%THIRD%>")})}, 2));
  source.NextScriptId = 1;
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  const std::vector<uint8_t> compressed = project::CompressProject(project::WriteProjectStream(source));
  // FIRST gets 11; SECOND gets a text beyond 32 bits (a conversion error); THIRD still gets 33.
  std::vector<project::PackageRecord> values(3);
  values[0].Data = {4, 0, 0, 0, 0, 11, 0, 0, 0};
  values[1].Data = {5, 0, 0, 0, 1, '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 0};
  values[2].Data = {6, 0, 0, 0, 0, 33, 0, 0, 0};
  for (auto& value : values) value.Tag = 203;
  const std::vector<uint8_t> program = {'E', 'L', 'F', 0};
  const std::vector<uint8_t> package =
      project::BuildPackage(program, compressed, {"3.01", "About me", "Pet", 0}, values);
  const auto folder = WriteProjectFile(source, "unused").parent_path();
  const auto path = folder / "pet";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(package.data()),
                                              static_cast<std::streamsize>(package.size()));
  tools::RunOptions options = tools::ParseRunArguments({path.string(), "--seconds", "1", "--trace"});
  std::vector<std::string> lines;
  EXPECT_EQ(tools::RunHeadless(options, [&](const std::string& line) { lines.push_back(line); }), 0);
  std::filesystem::remove_all(folder);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find("var name=\"SUM\" value=\"110233\"") != std::string::npos;
  }));
}

TEST(Run, MissingFileFails) {
  tools::RunOptions options;
  options.file = "/nonexistent/kpf/file";
  EXPECT_THROW(tools::RunHeadless(options, {}), std::runtime_error);
}

}  // namespace
}  // namespace kpf::test
