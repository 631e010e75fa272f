#pragma once
// One sub-command of kpftool: its name, a one-line usage text and its entry point.
#include <string>
#include <vector>

namespace kpf::tools {

using Arguments = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const Arguments& args);
};

// Each sub-command lives in its own source file and is listed in main.cpp.
int RunPackage(const Arguments& args);
int RunInfo(const Arguments& args);
int RunExtractResources(const Arguments& args);
int RunEval(const Arguments& args);
int RunRun(const Arguments& args);
int RunExtract(const Arguments& args);
int RunPack(const Arguments& args);
int RunCheck(const Arguments& args);
int RunConvert(const Arguments& args);

}  // namespace kpf::tools
