// Full evaluation of a numeric action parameter with three variable tags: substitution over a
// project's variables plus the 50 system variables, compilation (kept from the run before when
// the substituted text repeats), evaluation and integer conversion. The changing-value case
// substitutes a new value every run, so nothing compiled can be reused; the text-expression case
// is a text parameter run again.
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

void BM_EvaluateIntegerChangingValue(benchmark::State& state) {
  std::vector<TTaviVariable> variables;
  for (int i = 0; i < 20; ++i)
    variables.push_back(IntegerVariable("COUNTER_" + std::to_string(i), i * 3, i + 1));
  kpf::script::TextEvaluator evaluator(variables, kpf::script::PlayerFolders{});
  const std::string parameter = "(<%COUNTER_7%> + 5) * 2 - <%counter_19%>";
  int32_t value = 0;
  for (auto _ : state) {
    variables[7].Value = ++value;
    benchmark::DoNotOptimize(evaluator.EvaluateInteger(parameter));
  }
}
BENCHMARK(BM_EvaluateIntegerChangingValue);

void BM_EvaluateTextExpression(benchmark::State& state) {
  std::vector<TTaviVariable> variables;
  for (int i = 0; i < 20; ++i)
    variables.push_back(IntegerVariable("COUNTER_" + std::to_string(i), i * 3, i + 1));
  kpf::script::TextEvaluator evaluator(variables, kpf::script::PlayerFolders{});
  const std::string parameter = R"("Counted " & <%COUNTER_7%> & " of " & <%COUNTER_19%> & #33)";
  for (auto _ : state) benchmark::DoNotOptimize(evaluator.EvaluateText(parameter));
  if (evaluator.EvaluateText(parameter) != "Counted 21 of 57!") state.SkipWithError("wrong");
}
BENCHMARK(BM_EvaluateTextExpression);

}  // namespace

BENCHMARK_MAIN();
