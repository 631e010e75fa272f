#pragma once

#include "script/ExpressionParser.hpp"
#include "script/ParserException.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

namespace kpf::script::test {

// Compiles and evaluates with a fresh parser, as the player does.
inline double ValueOf(std::string_view expression)
{
    TExpressionParser parser;
    return parser.Evaluate(parser.AddExpression(expression));
}

inline std::string TextOf(std::string_view expression)
{
    return EvaluateToText(expression);
}

// The message of the parser error the expression raises (compile or
// evaluation); "<no error>" when it evaluates.
inline std::string ErrorOf(std::string_view expression, bool optimize = true)
{
    try {
        TExpressionParser parser;
        parser.Optimize = optimize;
        parser.Evaluate(parser.AddExpression(expression));
    } catch (const EParserException& e) {
        return e.what();
    }
    return "<no error>";
}

inline bool SameNumber(double actual, double expected)
{
    if (std::isnan(expected))
        return std::isnan(actual);
    return std::fabs(actual - expected) <= 1e-12 * std::max(1.0, std::fabs(expected));
}

struct TValueCase {
    const char* Expression;
    double Expected;
};

struct TTextCase {
    const char* Expression;
    const char* Expected;
};

// Each expression evaluates without error to its expected number.
inline void ExpectValues(std::initializer_list<TValueCase> cases)
{
    for (const auto& c : cases) {
        double actual = 0.0;
        ASSERT_NO_THROW(actual = ValueOf(c.Expression)) << c.Expression;
        EXPECT_TRUE(SameNumber(actual, c.Expected)) << c.Expression << " gave " << actual << ", expected " << c.Expected;
    }
}

}  // namespace kpf::script::test
