// `kpftool eval`: expressions one per line from standard input, and variables from a project
// file or a package.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

class EvalToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("kpf_eval_" + std::string(::testing::UnitTest::GetInstance()
                                             ->current_test_info()
                                             ->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs kpftool with `arguments`, feeding `input` on standard input.
  ToolRun Run(const std::string& arguments, const std::string& input = "") {
    const fs::path in = folder_ / "in.txt";
    const fs::path out = folder_ / "out.txt";
    std::ofstream(in, std::ios::binary) << input;
    const std::string command = std::string("'") + KPFTOOL_PATH + "' eval " + arguments + " < '" +
                                in.string() + "' > '" + out.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ostringstream text;
    text << std::ifstream(out, std::ios::binary).rdbuf();
    run.output = text.str();
    return run;
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  static kpf::project::ProjectSource ProjectWithVariables() {
    kpf::project::ProjectSource source;
    source.Variables.push_back({1, "N", 0, 5, ""});
    source.Variables.push_back({2, "Word", 1, 0, "abc"});
    source.NextVariableId = 3;
    return source;
  }

  fs::path folder_;
};

TEST_F(EvalToolTest, PrintsOneResultPerLine) {
  struct Case {
    const char* expression;
    const char* expected;
  };
  const Case cases[] = {
      {"2+3*4", "14"},
      {"1/3", "0.3333333333"},
      {"1 < 2", "True"},
      {"2^40", "1.099511628E012"},
      {"if(1, 5, 6)", "5"},
      {"'Abc' = 'aBC'", "True"},
      {"", "NAN"},
      {"<%SCREEN_WIDTH%> + 1", "1025"},  // the headless desktop is 1024 wide
  };
  std::string input;
  std::string expected;
  for (const auto& c : cases) {
    input += std::string(c.expression) + "\n";
    expected += std::string(c.expected) + "\n";
  }
  const ToolRun run = Run("-", input);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, expected);
}

TEST_F(EvalToolTest, ReportsErrorsAndGoesOn) {
  const ToolRun run = Run("-", "(1\n7 div 2\r\n1 2\n");
  EXPECT_EQ(run.exitCode, 1);
  std::istringstream lines(run.output);
  std::string first, second, third;
  std::getline(lines, first);
  std::getline(lines, second);
  std::getline(lines, third);
  EXPECT_EQ(first, "error: Unequal brackets");
  EXPECT_EQ(second, "3");
  EXPECT_EQ(third.rfind("error: ", 0), 0u) << third;
}

TEST_F(EvalToolTest, SingleExpressionSetsTheExitCode) {
  EXPECT_EQ(Run("'10 mod 4'").output, "2\n");
  const ToolRun failed = Run("'max(1)'");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.output, "");
}

TEST_F(EvalToolTest, SeedMakesRandomnessRepeatable) {
  const std::string input = "random\n<%RANDOM_NUMBER%>\n";
  const ToolRun first = Run("--seed 7 -", input);
  const ToolRun second = Run("--seed 7 -", input);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.output, second.output);
}

TEST_F(EvalToolTest, SubstitutesTheVariablesOfAProjectOrPackage) {
  const auto project = kpf::project::BuildProjectFile(ProjectWithVariables());
  const std::string projectFile = WriteFile("character.kpf", project);
  ToolRun run = Run("--vars '" + projectFile + "' -", "<%N%> * 2\npos('c', '<%WORD%>')\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "10\n3\n");

  // The package's stored value for N (id 1) replaces the project's.
  const std::vector<uint8_t> program(64, 0x90);
  const std::vector<uint8_t> stored{1, 0, 0, 0, 0, 7, 0, 0, 0};
  const auto packageBytes = kpf::project::BuildPackage(
      program, project, kpf::project::PackageHeader{"1", "about", "title", 0},
      {kpf::project::PackageRecord{203, stored}});
  const std::string packageFile = WriteFile("character.exe", packageBytes);
  run = Run("--vars '" + packageFile + "' '<%N%> * 2'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "14\n");
}

}  // namespace
