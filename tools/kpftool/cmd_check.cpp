// kpftool check: loads a character as the player does and reports what will not work: one line
// per finding, or a JSON array with --json. First come the problems the load survived (an error
// where the model lost something), then the checks of the model. Exit status 0 without errors,
// 1 with at least one, 2 when the file cannot be read.
#include <cstdio>
#include <exception>

#include "project/Stream.hpp"
#include "tools/kpftool/CharacterChecks.hpp"
#include "tools/kpftool/CharacterLoad.hpp"
#include "tools/kpftool/Command.hpp"

namespace kpf::tools {

int RunCheck(const Arguments& args) {
  std::string path;
  bool json = false;
  for (const auto& arg : args) {
    if (arg == "--json") json = true;
    else path = arg;
  }
  if (path.empty()) {
    std::fputs("usage: kpftool check FILE [--json]\n", stderr);
    return 2;
  }
  LoadedCharacter loaded;
  try {
    LoadCharacter(project::ReadWholeFile(path), loaded);
  } catch (const std::exception& error) {
    loaded.error = error.what();
  }
  // A package whose project loaded keeps it whatever follows: that damage is a finding.
  if (!loaded.error.empty() && !(loaded.package && loaded.projectLoaded)) {
    std::fprintf(stderr, "kpftool check: cannot read %s: %s\n", path.c_str(), loaded.error.c_str());
    return 2;
  }
  Findings findings;
  for (const auto& problem : loaded.problems)
    findings.Add(problem.lost ? Severity::Error : Severity::Warning, Place::Loading(problem.where), problem.what);
  CharacterChecks(loaded.host.Model, findings).Run();
  if (json) std::printf("%s\n", findings.Json().c_str());
  else std::fputs(findings.Lines().c_str(), stdout);
  return findings.HasError() ? 1 : 0;
}

}  // namespace kpf::tools
