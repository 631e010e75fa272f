// Expression parser: evaluating a compiled chain, and the player's path of a
// fresh parser per expression (create, compile, evaluate, format).
#include "script/ExpressionParser.hpp"

#include <benchmark/benchmark.h>

namespace {

// 20 operators (5 "*", 5 "/", 10 "+"/"-") on a variable, so nothing folds.
constexpr const char* kTwentyOperators = "x*1.5 + x/2.5 - x*3 + x/4 - x*5 + x/6 - x*7 + x/8 - x*9 + x/10 - x";

void BM_EvaluateCompiledChain(benchmark::State& state)
{
    kpf::script::TExpressionParser parser;
    parser.Evaluate(parser.AddExpression("x := 2"));
    const int index = parser.AddExpression(kTwentyOperators);
    for (auto _ : state)
        benchmark::DoNotOptimize(parser.Evaluate(index));
}
BENCHMARK(BM_EvaluateCompiledChain);

void BM_EvaluateToTextShort(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kpf::script::EvaluateToText("(3 + 1) * 2 > 7"));
}
BENCHMARK(BM_EvaluateToTextShort);

void BM_CompileAndEvaluateTwentyOperators(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kpf::script::EvaluateToText(kTwentyOperators));
}
BENCHMARK(BM_CompileAndEvaluateTwentyOperators);

void BM_CreateParser(benchmark::State& state)
{
    for (auto _ : state) {
        kpf::script::TExpressionParser parser;
        benchmark::DoNotOptimize(&parser);
    }
}
BENCHMARK(BM_CreateParser);

}  // namespace

BENCHMARK_MAIN();
