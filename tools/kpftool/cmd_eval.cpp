// kpftool eval: evaluates expressions the way the player evaluates action parameters, optionally
// with the variables of a project or package substituted first.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <exception>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "package/ModelPackageHost.hpp"
#include "package/PackageFormat.hpp"
#include "package/PackageReader.hpp"
#include "platform/headless/HeadlessPlatform.hpp"
#include "project/ProjectLoader.hpp"
#include "project/ProjectModel.hpp"
#include "project/Stream.hpp"
#include "project/SystemVariables.hpp"
#include "script/ExpressionParser.hpp"
#include "script/PathMacros.hpp"
#include "script/ProcessRandom.hpp"
#include "script/SystemValues.hpp"
#include "script/TextEvaluator.hpp"
#include "tools/kpftool/Command.hpp"

namespace kpf::tools {

namespace {

struct EvalOptions {
  std::string Expression;  // "-" reads expressions from standard input
  std::optional<std::string> VarsFile;
  std::optional<uint64_t> Seed;
};

EvalOptions ParseEvalArguments(const Arguments& args) {
  EvalOptions options;
  bool haveExpression = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if ((arg == "--vars" || arg == "--seed") && i + 1 < args.size()) {
      if (arg == "--vars")
        options.VarsFile = args[++i];
      else
        options.Seed = std::stoull(args[++i]);
    } else if (!haveExpression) {
      options.Expression = arg;
      haveExpression = true;
    } else {
      throw std::invalid_argument("unexpected argument '" + arg + "'");
    }
  }
  if (!haveExpression) throw std::invalid_argument("usage: kpftool eval [--vars FILE] [--seed S] EXPR|-");
  return options;
}

platform::LocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
          local.tm_min,         local.tm_sec,     local.tm_wday + 1};
}

// Loads a package (found by its trailer) through the player's package path, with the initial
// values it stores for its variables, or a standalone project file.
void LoadVariables(const std::string& file, package::ModelPackageHost& host) {
  const std::vector<uint8_t> content = project::ReadWholeFile(file);
  const std::optional<package::PackageLayout> layout = package::ParsePackage(content);
  if (!layout) {
    host.LoadProject(content);
    return;
  }
  const package::PackageReadResult read = package::ApplyPackage(*layout, host);
  if (!read.ProjectLoaded) throw std::runtime_error(file + ": " + read.Error);
}

// The result text the player would get, or throws the parser's error.
std::string Evaluate(script::TextEvaluator& evaluator, const std::string& expression) {
  return script::EvaluateToText(evaluator.SubstituteVariables(expression));
}

int EvaluateStandardInput(script::TextEvaluator& evaluator) {
  int status = 0;
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      std::cout << Evaluate(evaluator, line) << '\n';
    } catch (const std::exception& error) {
      std::cout << "error: " << error.what() << '\n';
      status = 1;
    }
  }
  return status;
}

}  // namespace

int RunEval(const Arguments& args) {
  const EvalOptions options = ParseEvalArguments(args);
  if (options.Seed) script::SeedProcessRandom(*options.Seed);

  platform::headless::HeadlessPlatform desktop;
  desktop.SetStartTime(CurrentLocalTime());
  script::PlayerFolders folders = script::PlayerFolders::FromEnvironment();
  script::SystemValues systemValues(desktop, folders.DocumentsFolder);

  // Without a project the system variables alone answer the tags.
  project::LoadOptions loadOptions;
  loadOptions.VariableHost = &systemValues;
  package::ModelPackageHost host(loadOptions);
  if (options.VarsFile)
    LoadVariables(*options.VarsFile, host);
  else
    project::RegisterSystemVariables(host.Model.Variables, &systemValues);

  script::TextEvaluator evaluator(host.Model.Variables, std::move(folders));
  if (options.Expression == "-") return EvaluateStandardInput(evaluator);
  try {
    std::cout << Evaluate(evaluator, options.Expression) << '\n';
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "error: " << error.what() << '\n';
    return 1;
  }
}

}  // namespace kpf::tools
