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
  std::string output;  // standard output only
};

class EvalToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("kpf_eval_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // Runs `kpftool eval ARGUMENTS`, feeding `input` on standard input.
  ToolRun Run(const std::string& arguments, const std::string& input = "") {
    const std::string in = WriteFile("in.txt", std::vector<uint8_t>(input.begin(), input.end()));
    const std::string out = (folder_ / "out.txt").string();
    const int status = std::system(("'" + std::string(KPFTOOL_PATH) + "' eval " + arguments + " < '" + in + "' > '" +
                                    out + "' 2>/dev/null").c_str());
    std::ostringstream text;
    text << std::ifstream(out, std::ios::binary).rdbuf();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
  }

  std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }

  fs::path folder_;
};

TEST_F(EvalToolTest, PrintsOneResultPerLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"2+3*4", "14"}, {"1/3", "0.3333333333"}, {"1 < 2", "True"}, {"2^40", "1.099511628E012"},
      {"if(1, 5, 6)", "5"}, {"'Abc' = 'aBC'", "True"}, {"", "NAN"},
      {"<%SCREEN_WIDTH%> + 1", "1025"},  // the headless desktop is 1024 wide
  };
  std::string input, expected;
  for (const auto& [expression, result] : cases) {
    input += std::string(expression) + "\n";
    expected += std::string(result) + "\n";
  }
  const ToolRun run = Run("-", input);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, expected);
}

TEST_F(EvalToolTest, ReportsErrorsGoesOnAndSetsTheExitCode) {
  const ToolRun run = Run("-", "(1\n7 div 2\r\n1 2\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output.rfind("error: Unequal brackets\n3\nerror: ", 0), 0u) << run.output;
  // A single expression on the command line.
  EXPECT_EQ(Run("'10 mod 4'").output, "2\n");
  const ToolRun failed = Run("'max(1)'");
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.output, "");
}

TEST_F(EvalToolTest, SeedMakesRandomnessRepeatable) {
  const std::string input = "random\n<%RANDOM_NUMBER%>\n";
  const ToolRun first = Run("--seed 7 -", input);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.output, Run("--seed 7 -", input).output);
}

TEST_F(EvalToolTest, SubstitutesTheVariablesOfAProjectOrPackage) {
  kpf::project::ProjectSource source;
  source.Variables = {{1, "N", 0, 5, ""}, {2, "Word", 1, 0, "abc"}};
  source.NextVariableId = 3;
  const auto project = kpf::project::BuildProjectFile(source);
  ToolRun run = Run("--vars '" + WriteFile("character.kpf", project) + "' -", "<%N%> * 2\npos('c', '<%WORD%>')\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "10\n3\n");

  // The package's stored value for N (id 1) replaces the project's.
  const auto package = kpf::project::BuildPackage(std::vector<uint8_t>(64, 0x90), project,
                                                  kpf::project::PackageHeader{"1", "about", "title", 0},
                                                  {kpf::project::PackageRecord{203, {1, 0, 0, 0, 0, 7, 0, 0, 0}}});
  run = Run("--vars '" + WriteFile("character.exe", package) + "' '<%N%> * 2'");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "14\n");
}

}  // namespace
