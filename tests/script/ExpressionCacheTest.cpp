// The evaluation cache gives what a fresh parse gives, run after run: assignments, unknown
// words, letter case of literals, random draws, errors, and more texts than it keeps.
#include "script/ExpressionCache.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/ParserException.hpp"
#include "script/TextEvaluator.hpp"
#include "script/TextExpression.hpp"
#include "SubstitutionTestSupport.hpp"

namespace kpf::script {
namespace {

using testing::CountingRandom;
using testing::IntegerVariable;
using testing::TextVariable;

// What a parser of its own gives, or the error text it throws.
std::string Fresh(const std::string& expression, const RandomRange& random) {
  try {
    constexpr uint32_t kSteps = 1u << 24;
    TExpressionParser parser([&random] { return static_cast<double>(random(kSteps)) / kSteps; });
    return parser.EvaluateAsString(parser.AddExpression(expression));
  } catch (const EParserException& error) {
    return std::string("error: ") + error.what();
  }
}

std::string Cached(ExpressionCache& cache, const std::string& expression, const RandomRange& random) {
  try {
    return cache.ResultText(expression, random);
  } catch (const EParserException& error) {
    return std::string("error: ") + error.what();
  }
}

const std::vector<std::string> kExpressions = {
    "(3 + 1) * 2 > 7", "10 / 4", "x := 3", "x + 1", "x := x + 1", "pi := 4", "pi", "PI * 2",
    "'abc' = 'ABC'", "'ABC' = 'ABC'", "'Abc' = 'ABC'", "pos('b', 'abc')", "pos('B', 'abc')", "POS('B', 'abc')",
    "random", "random * 100 > 50", "randg(0, 1)", "unknown + 1", "unknown(2)", "1 +", "((2)", "", "2 ^ 10",
    "'a:=b' = 'a:=b'", "x"};

TEST(ExpressionCacheTest, RunAfterRunGivesWhatAFreshParseGives) {
  CountingRandom freshDraws;
  CountingRandom cachedDraws;
  const RandomRange freshRandom = freshDraws.Source();
  const RandomRange cachedRandom = cachedDraws.Source();
  ExpressionCache cache;
  for (int run = 0; run < 3; ++run) {
    for (const std::string& expression : kExpressions) {
      if (expression.empty()) continue;  // callers never evaluate an empty text
      EXPECT_EQ(Cached(cache, expression, cachedRandom), Fresh(expression, freshRandom))
          << "run " << run << ": " << expression;
    }
  }
  EXPECT_EQ(cachedDraws.Ranges, freshDraws.Ranges);
  EXPECT_GT(cache.KeptExpressions(), 0u);
  EXPECT_LE(cache.KeptExpressions(), ExpressionCache::kMaxExpressions);
}

TEST(ExpressionCacheTest, MoreTextsThanItKeepsStillGiveTheirOwnResults) {
  CountingRandom draws;
  const RandomRange random = draws.Source();
  ExpressionCache cache;
  for (int run = 0; run < 2; ++run) {
    for (size_t i = 0; i < 3 * ExpressionCache::kMaxExpressions; ++i) {
      const std::string expression = std::to_string(i) + " * 2";
      ASSERT_EQ(cache.ResultText(expression, random), std::to_string(2 * i)) << expression;
    }
  }
  EXPECT_LE(cache.KeptExpressions(), ExpressionCache::kMaxExpressions);
  for (size_t i = 0; i < 3 * ExpressionCache::kMaxTextExpressions; ++i) {
    const std::string text = "\"n" + std::to_string(i) + "\" & <%A%>";
    ASSERT_EQ(cache.TextExpression(text), ParseTextExpression(text));
  }
  EXPECT_EQ(cache.TextExpression("not an expression"), "");
}

TEST(ExpressionCacheTest, EvaluatorFollowsVariablesThatChangeBetweenRuns) {
  std::vector<project::TTaviVariable> variables = {IntegerVariable("N", 1, 1), TextVariable("NAME", "Bob", 2)};
  TextEvaluator evaluator(variables, PlayerFolders{});
  for (int32_t n : {1, 3, 1, 7, 3}) {
    variables[0].Value = n;
    EXPECT_EQ(evaluator.EvaluateInteger("<%N%> * 2 + 1"), n * 2 + 1);
    EXPECT_EQ(evaluator.EvaluateCondition("<%N%> > 2"), n > 2);
  }
  const RandomRange noDraws = [](uint32_t) { return 0u; };
  for (const char* name : {"Bob", "BOB", "Al", "bob", "Bob"}) {
    variables[1].Value = std::string(name);
    const bool fresh = Fresh("'" + std::string(name) + "' = 'Bob'", noDraws) == "True";
    EXPECT_EQ(evaluator.EvaluateCondition("<%NAME%> = 'Bob'"), fresh) << name;
    EXPECT_EQ(evaluator.EvaluateCondition("<%NAME%> = 'Bob'"), std::string(name) != "Al") << name;
    EXPECT_EQ(evaluator.EvaluateText(R"("Hi " & <%NAME%>)"), std::string("Hi ") + name);
  }
  // An assignment does not carry over into the next run.
  EXPECT_EQ(evaluator.EvaluateInteger("y := 5"), 5);
  EXPECT_EQ(evaluator.EvaluateInteger("y + 1"), 0);  // unknown: not a number, so 0
}

}  // namespace
}  // namespace kpf::script
