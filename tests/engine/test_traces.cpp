// Golden traces: each folder of tests/trace holds `args` (kpftool run arguments, FILE standing
// for the project) and `expected.trace`. The project comes from the builder of the same name.
// KPF_UPDATE_TRACES=1 rewrites the expected files (review them before committing).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "TestProject.hpp"
#include "TraceCases.hpp"
#include "tools/kpftool/HeadlessRun.hpp"

namespace kpf::test {
namespace {

std::filesystem::path TraceFolder() {
  return std::filesystem::path(KPF_SOURCE_DIR) / "tests" / "trace";
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class TraceTest : public testing::TestWithParam<std::string> {};

TEST_P(TraceTest, MatchesExpected) {
  const std::string name = GetParam();
  const auto folder = TraceFolder() / name;
  ASSERT_TRUE(std::filesystem::exists(folder / "args")) << folder;
  const auto project = WriteProjectFile(TraceCases().at(name)(), name);
  tools::Arguments args;
  std::ifstream argsFile(folder / "args");
  for (std::string word; argsFile >> word;) args.push_back(word == "FILE" ? project.string() : word);
  std::vector<std::string> actual;
  EXPECT_EQ(tools::RunHeadless(tools::ParseRunArguments(args), [&](const std::string& line) { actual.push_back(line); }),
            0);
  std::filesystem::remove_all(project.parent_path());

  if (const char* update = std::getenv("KPF_UPDATE_TRACES"); update != nullptr && std::string(update) == "1") {
    std::ofstream out(folder / "expected.trace");
    for (const auto& line : actual) out << line << '\n';
    return;
  }
  const std::vector<std::string> expected = ReadLines(folder / "expected.trace");
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

}  // namespace
}  // namespace kpf::test
