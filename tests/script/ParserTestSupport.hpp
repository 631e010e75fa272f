#pragma once
// Evaluation helpers of the parser tests.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

#include "script/ExpressionParser.hpp"
#include "script/ParserException.hpp"

namespace kpf::script::test {

// Compiles and evaluates with a fresh parser, as the player does.
inline double ValueOf(std::string_view expression) {
  TExpressionParser parser;
  return parser.Evaluate(parser.AddExpression(expression));
}

// The result text, or "error: " and the message of the parser error (compile or evaluation);
// any other exception type fails the test.
inline std::string Outcome(std::string_view expression, bool optimize = true) {
  try {
    TExpressionParser parser;
    parser.Optimize = optimize;
    return parser.EvaluateAsString(parser.AddExpression(expression));
  } catch (const EParserException& e) {
    return std::string("error: ") + e.what();
  }
}

inline bool IsError(const std::string& outcome) { return outcome.rfind("error: ", 0) == 0; }

struct TValueCase {
  const char* Expression;
  double Expected;
};

struct TTextCase {
  const char* Expression;
  const char* Expected;
};

// Each expression evaluates without error to its expected number (NaN matches NaN).
inline void ExpectValues(std::initializer_list<TValueCase> cases) {
  for (const auto& c : cases) {
    double actual = 0.0;
    ASSERT_NO_THROW(actual = ValueOf(c.Expression)) << c.Expression;
    const double tolerance = 1e-12 * std::max(1.0, std::fabs(c.Expected));
    const bool same = std::isnan(c.Expected) ? std::isnan(actual) : std::fabs(actual - c.Expected) <= tolerance;
    EXPECT_TRUE(same) << c.Expression << " gave " << actual << ", expected " << c.Expected;
  }
}

}  // namespace kpf::script::test
