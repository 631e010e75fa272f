// Headless runs as `kpftool run` does them. Golden traces: each folder of tests/trace holds
// `args` (the run arguments, FILE standing for the project) and `expected.trace`; the project
// comes from the builder of the same name. KPF_UPDATE_TRACES=1 rewrites the expected files
// (review them before committing).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "TestProject.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::test {
namespace {

// Runs with `args` (the file first) and returns the trace lines; the run must end with 0.
std::vector<std::string> RunTraced(const tools::Arguments& args) {
  std::vector<std::string> lines;
  EXPECT_EQ(tools::RunHeadless(tools::ParseRunArguments(args), [&](const std::string& l) { lines.push_back(l); }), 0);
  return lines;
}

class TraceTest : public testing::TestWithParam<std::string> {};

TEST_P(TraceTest, MatchesExpected) {
  const std::string name = GetParam();
  const auto folder = std::filesystem::path(KPF_SOURCE_DIR) / "tests" / "trace" / name;
  ASSERT_TRUE(std::filesystem::exists(folder / "args")) << folder;
  const auto project = WriteProjectFile(TraceCases().at(name)(), name);
  tools::Arguments args;
  std::ifstream argsFile(folder / "args");
  for (std::string word; argsFile >> word;) args.push_back(word == "FILE" ? project.string() : word);
  const std::vector<std::string> actual = RunTraced(args);
  std::filesystem::remove_all(project.parent_path());

  if (const char* update = std::getenv("KPF_UPDATE_TRACES"); update != nullptr && std::string(update) == "1") {
    std::ofstream out(folder / "expected.trace");
    for (const auto& line : actual) out << line << '\n';
    return;
  }
  std::ifstream in(folder / "expected.trace");
  std::vector<std::string> expected;
  for (std::string line; std::getline(in, line);) expected.push_back(line);
  for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    ASSERT_EQ(i < expected.size() ? expected[i] : "<none>", i < actual.size() ? actual[i] : "<none>")
        << "case " << name << ", line " << i + 1;
  }
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& [name, builder] : TraceCases()) names.push_back(name);
  return names;
}

INSTANTIATE_TEST_SUITE_P(Golden, TraceTest, testing::ValuesIn(CaseNames()),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

// The traces use every option but --screen; --answer is checked here too.
TEST(RunArguments, ParsesTheScreenAndRejectsBadInput) {
  const tools::RunOptions options = tools::ParseRunArguments({"pet.exe", "--screen", "800x600"});
  EXPECT_EQ(std::pair(options.screenWidth, options.screenHeight), std::pair(800, 600));
  const tools::RunOptions answered = tools::ParseRunArguments({"pet", "--answer", "7@900", "--answer", "2@100"});
  ASSERT_EQ(answered.answers.size(), 2u);
  EXPECT_EQ(std::pair(answered.answers[0].code, answered.answers[0].at), std::pair(7, int64_t{900}));
  for (const tools::Arguments& args : std::vector<tools::Arguments>{
           {}, {"a", "b"}, {"a", "--seconds"}, {"a", "--seconds", "x"}, {"a", "--click", "1,2"},
           {"a", "--click", "12@5"}, {"a", "--drag", "1,2@5"}, {"a", "--screen", "800"}, {"a", "--bogus"},
           {"a", "--answer", "7"}, {"a", "--answer", "yes@5"}}) {
    EXPECT_THROW(tools::ParseRunArguments(args), std::invalid_argument);
  }
  EXPECT_THROW(tools::RunHeadless({.file = "/nonexistent/kpf/file", .inputs = {}}, {}), std::runtime_error);
}

// Writes `package` as `name` into a fresh scratch folder; returns its path.
std::filesystem::path WritePackage(const project::ProjectSource& source, const std::vector<uint8_t>& package,
                                   const std::string& name) {
  const auto path = WriteProjectFile(source, "unused").parent_path() / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
  return path;
}

bool Has(const std::vector<std::string>& lines, const std::string& part) {
  return std::ranges::any_of(lines, [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// A package whose start script sets SUM (id 7) from FIRST (4), SECOND (5) and THIRD (6), which
// hold 1, 2 and 3 in the project. Its tag-203 records give FIRST 11, SECOND a text beyond 32 bits
// (a conversion error that skips only that record) and THIRD 33.
TEST(Run, PlaysAPackageAndSkipsOnlyAnInitialValueThatCannotBeConverted) {
  project::ProjectSource source = WithVariables({});
  for (auto [id, name] : {std::pair{4, "FIRST"}, {5, "SECOND"}, {6, "THIRD"}, {7, "SUM"}})
    source.Variables.push_back(IntVariable(id, name, id - 3));
  source.Scripts.push_back(
      Script(0, "start", {Act(22, {P::Var(7), P::Text("<%FIRST%> * 10000 + <%SECOND%> * 100 + <%THIRD%>")})}, 2));
  source.NextScriptId = 1;
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  const std::vector<project::PackageRecord> records = {
      {203, {4, 0, 0, 0, 0, 11, 0, 0, 0}},
      {203, {5, 0, 0, 0, 1, '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', '9', 0}},
      {203, {6, 0, 0, 0, 0, 33, 0, 0, 0}}};
  const auto pet = WritePackage(
      source,
      project::BuildPackage(std::vector<uint8_t>{'E', 'L', 'F', 0}, project::CompressProject(project::WriteProjectStream(source)),
                            {"3.01", "About me", "Pet", 0}, records),
      "pet");
  const auto lines = RunTraced({pet.string(), "--seconds", "1", "--trace", "--menu", "About@100"});
  std::filesystem::remove_all(pet.parent_path());
  EXPECT_TRUE(Has(lines, "var name=\"SUM\" value=\"110233\""));
  EXPECT_TRUE(Has(lines, "msgbox text=\"Pet\\x0aTavimo Design 3.01"));
  EXPECT_EQ(lines.back(), "1000 end");
}

// The run switches of the file and network actions: a home of the run's own (its documents folder
// and settings store), answers to questions, and --offline. The package's note is extracted into
// the run's private temporary folder, where RunProgram finds it and asks before opening it.
TEST(Run, SwitchesGiveTheRunItsOwnHomeAnswersAndNoNetwork) {
  project::ProjectSource source = WithVariables({"SEEN", "H", "FAILED"});
  source.Scripts = {Script(1, "start",
                           {Act(149, {P::Var(1), P::Text("{mydocument}\\letter.txt")}), Act(24, {P::Var(1)}),
                            Act(15, {P::Text("note.txt"), P::Text("")}), Act(15, {P::Text("note.txt"), P::Text("again")}),
                            Act(201, {P::Var(2)}), Act(218, {P::Text("http://example.com/"), P::Int(0), P::Int(2), P::Var(2)})},
                           2),
                    Script(2, "failed", {Act(22, {P::Var(3), P::Text("1")})})};
  source.NextScriptId = 3;
  source.Animations.push_back(Animation(1, "idle", 0, 0, 1, 10));
  const std::string note = std::string("note.txt") + '\0' + "hello";
  const auto runner = WritePackage(source,
                                   project::BuildPackage(std::vector<uint8_t>{'E', 'L', 'F', 0},
                                                         project::BuildProjectFile(source), {"3.01", "", "Runner", 0},
                                                         {{202, std::vector<uint8_t>(note.begin(), note.end())}}),
                                   "runner");
  const auto folder = runner.parent_path();
  std::filesystem::create_directories(folder / "home" / "Documents");
  std::ofstream(folder / "home" / "Documents" / "letter.txt") << "x";
  const auto lines = RunTraced({runner.string(), "--seconds", "1", "--trace", "--offline", "--home",
                                (folder / "home").string(), "--answer", "6@0"});
  const std::string settings = [&] {
    std::ifstream in(folder / "home" / ".config" / "kpfplayer" / "settings.ini");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  std::filesystem::remove_all(folder);
  EXPECT_TRUE(Has(lines, "var name=\"SEEN\" value=\"1\"")) << "the home's documents folder";
  EXPECT_NE(settings.find("SEEN=i:1"), std::string::npos) << settings;
  EXPECT_TRUE(Has(lines, "state=\"asked\""));
  EXPECT_TRUE(Has(lines, "args=\"\" state=\"opened\"")) << "answered Yes";
  EXPECT_TRUE(Has(lines, "args=\"again\" state=\"declined\"")) << "the next question had no answer";
  EXPECT_TRUE(Has(lines, "net address=\"http://example.com/\" failure=\"offline\""));
  EXPECT_TRUE(Has(lines, "var name=\"FAILED\" value=\"1\""));
}

}  // namespace
}  // namespace kpf::test
