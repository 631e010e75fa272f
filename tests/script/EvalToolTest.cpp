// `kpftool eval`: expressions one per line from standard input, and variables from a project
// file or a package.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "project/ProjectWriter.hpp"
#include "tools/ToolRunner.hpp"

namespace kpf::tests {
namespace {

// Runs `kpftool eval ARGS...` with `input` on standard input; stdout only. The arguments of
// these tests hold no apostrophes.
ToolResult Eval(const std::vector<std::string>& args, const std::string& input = "") {
  ScratchFolder scratch("eval-input");
  WriteText(scratch / "input.txt", input);
  std::string command = "'" KPFTOOL_PATH "' eval";
  for (const auto& arg : args) command += " '" + arg + "'";
  FILE* pipe = popen((command + " < '" + (scratch / "input.txt").string() + "' 2>/dev/null").c_str(), "r");
  ToolResult result;
  for (int c; pipe != nullptr && (c = std::fgetc(pipe)) != EOF;) result.output += static_cast<char>(c);
  const int status = pipe != nullptr ? pclose(pipe) : -1;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

TEST(EvalToolTest, PrintsOneResultPerLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"2+3*4", "14"}, {"1/3", "0.3333333333"}, {"'Abc' = 'aBC'", "True"}, {"", "NAN"},
      {"<%SCREEN_WIDTH%> + 1", "1025"},  // the headless desktop is 1024 wide
  };
  std::string input, expected;
  for (const auto& [expression, result] : cases) {
    input += std::string(expression) + "\n";
    expected += std::string(result) + "\n";
  }
  const ToolResult run = Eval({"-"}, input);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, expected);
}

TEST(EvalToolTest, ReportsErrorsGoesOnAndSetsTheExitCode) {
  const ToolResult run = Eval({"-"}, "(1\n7 div 2\r\n1 2\n");
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.output.rfind("error: Unequal brackets\n3\nerror: ", 0), 0u) << run.output;
  // A single expression on the command line.
  EXPECT_EQ(Eval({"10 mod 4"}).output, "2\n");
  const ToolResult failed = Eval({"max(1)"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.output, "");
}

TEST(EvalToolTest, SeedMakesRandomnessRepeatable) {
  const std::string input = "random\n<%RANDOM_NUMBER%>\n";
  const ToolResult first = Eval({"--seed", "7", "-"}, input);
  EXPECT_EQ(first.exitCode, 0);
  EXPECT_EQ(first.output, Eval({"--seed", "7", "-"}, input).output);
}

TEST(EvalToolTest, SubstitutesTheVariablesOfAProjectOrPackage) {
  ScratchFolder scratch("eval");
  project::ProjectSource source;
  source.Variables = {{1, "N", 0, 5, ""}, {2, "Word", 1, 0, "abc"}};
  source.NextVariableId = 3;
  const auto project = project::BuildProjectFile(source);
  WriteBytes(scratch / "character.kpf", project);
  ToolResult run = Eval({"--vars", (scratch / "character.kpf").string(), "-"}, "<%N%> * 2\npos('c', '<%WORD%>')\n");
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "10\n3\n");

  // The package's stored value for N (id 1) replaces the project's.
  WriteBytes(scratch / "character.exe",
             project::BuildPackage(std::vector<uint8_t>(64, 0x90), project, {"1", "about", "title", 0},
                                   {{203, {1, 0, 0, 0, 0, 7, 0, 0, 0}}}));
  run = Eval({"--vars", (scratch / "character.exe").string(), "<%N%> * 2"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "14\n");
}

}  // namespace
}  // namespace kpf::tests
