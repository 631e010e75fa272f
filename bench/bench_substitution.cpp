// Full evaluation of a numeric action parameter with three variable tags: substitution over a
// project's variables plus the 50 system variables, compilation by a fresh parser, evaluation
// and integer conversion.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.hpp"
#include "project/SystemVariables.hpp"
#include "script/SystemValues.hpp"
#include "script/TextEvaluator.hpp"

namespace {

using kpf::project::TTaviVariable;

TTaviVariable IntegerVariable(const std::string& name, int32_t value, int32_t id) {
  TTaviVariable variable;
  variable.ID = id;
  variable.Name = name;
  variable.Value = value;
  variable.StoredValue = value;
  return variable;
}

void BM_EvaluateIntegerThreeTags(benchmark::State& state) {
  kpf::platform::headless::HeadlessPlatform desktop;
  kpf::script::SystemValues values(desktop, "/home/someone/Documents");
  values.State.WindowLeft = 120;
  std::vector<TTaviVariable> variables;
  for (int i = 0; i < 20; ++i)
    variables.push_back(IntegerVariable("COUNTER_" + std::to_string(i), i * 3, i + 1));
  kpf::project::RegisterSystemVariables(variables, &values);
  kpf::script::TextEvaluator evaluator(variables, kpf::script::PlayerFolders{});
  const std::string parameter = "(<%COUNTER_7%> + <%CURRENT_LEFT%>) * 2 - <%counter_19%>";
  for (auto _ : state) benchmark::DoNotOptimize(evaluator.EvaluateInteger(parameter));
  if (evaluator.EvaluateInteger(parameter) != (21 + 120) * 2 - 57) state.SkipWithError("wrong");
}
BENCHMARK(BM_EvaluateIntegerThreeTags);

void BM_SubstituteThreeTags(benchmark::State& state) {
  kpf::platform::headless::HeadlessPlatform desktop;
  kpf::script::SystemValues values(desktop, "/home/someone/Documents");
  std::vector<TTaviVariable> variables;
  for (int i = 0; i < 20; ++i)
    variables.push_back(IntegerVariable("COUNTER_" + std::to_string(i), i * 3, i + 1));
  kpf::project::RegisterSystemVariables(variables, &values);
  kpf::script::TextEvaluator evaluator(variables, kpf::script::PlayerFolders{});
  const std::string parameter = "(<%COUNTER_7%> + <%CURRENT_LEFT%>) * 2 - <%counter_19%>";
  for (auto _ : state) benchmark::DoNotOptimize(evaluator.SubstituteVariables(parameter));
}
BENCHMARK(BM_SubstituteThreeTags);

}  // namespace

BENCHMARK_MAIN();
