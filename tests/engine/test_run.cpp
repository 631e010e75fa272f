// kpftool run: argument parsing and playing a package (header, initial values, not preview).
#include <gtest/gtest.h>

#include <algorithm>
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

// A project whose start script copies `expression` into SUM (id 7), after the integer
// variables FIRST (4), SECOND (5) and THIRD (6) holding 1, 2 and 3.
project::ProjectSource Summing(const std::string& expression) {
  project::ProjectSource source;
  source.Images.push_back(SmallImage());
  source.OptionFlags = DefaultOptions();
  for (auto [id, name] : {std::pair{4, "FIRST"}, {5, "SECOND"}, {6, "THIRD"}})
    source.Variables.push_back(IntVariable(id, name, id - 3));
  source.Variables.push_back(IntVariable(7, "SUM", 0));
  source.Scripts.push_back(Script(0, "start", {Act(22, {P::Var(7), P::Text(expression)})}, 2));
  source.NextScriptId = 1;
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  return source;
}

// Writes the project as a package with tag-203 `values` and plays it for one second with
// `extra` arguments; returns the trace lines.
std::vector<std::string> RunPackage(const project::ProjectSource& source,
                                    const std::vector<std::vector<uint8_t>>& values, tools::Arguments extra = {}) {
  std::vector<project::PackageRecord> records;
  for (const auto& value : values) records.push_back({203, value});
  const std::vector<uint8_t> program{'E', 'L', 'F', 0};
  const std::vector<uint8_t> package = project::BuildPackage(
      program, project::CompressProject(project::WriteProjectStream(source)), {"3.01", "About me", "Pet", 0}, records);
  const auto folder = WriteProjectFile(source, "unused").parent_path();
  const auto path = folder / "pet";
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(package.data()),
                                              static_cast<std::streamsize>(package.size()));
  tools::Arguments args{path.string(), "--seconds", "1", "--trace"};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<std::string> lines;
  EXPECT_EQ(tools::RunHeadless(tools::ParseRunArguments(args), [&](const std::string& l) { lines.push_back(l); }), 0);
  std::filesystem::remove_all(folder);
  return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& part) {
  return std::ranges::any_of(lines, [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

TEST(Run, PlaysAPackageWithHeaderAndInitialValues) {
  const auto lines = RunPackage(Summing("<%FIRST%>"), {{4, 0, 0, 0, 0, 42, 0, 0, 0}}, {"--menu", "About@100"});
  EXPECT_TRUE(Has(lines, "var name=\"SUM\" value=\"42\""));
  EXPECT_TRUE(Has(lines, "msgbox text=\"Pet\\x0aTavimo Design 3.01"));
  EXPECT_EQ(lines.back(), "1000 end");
}

TEST(Run, InitialValueThatCannotBeConvertedSkipsOnlyItsRecord) {
  // FIRST gets 11; SECOND gets a text beyond 32 bits (a conversion error); THIRD still gets 33.
  const auto lines = RunPackage(Summing("<%FIRST%> * 10000 + <%SECOND%> * 100 + <%THIRD%>"),
                                {{4, 0, 0, 0, 0, 11, 0, 0, 0},
                                 {5, 0, 0, 0, 1, '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 0},
                                 {6, 0, 0, 0, 0, 33, 0, 0, 0}});
  EXPECT_TRUE(Has(lines, "var name=\"SUM\" value=\"110233\""));
}

TEST(Run, MissingFileFails) {
  tools::RunOptions options;
  options.file = "/nonexistent/kpf/file";
  EXPECT_THROW(tools::RunHeadless(options, {}), std::runtime_error);
}

}  // namespace
}  // namespace kpf::test
