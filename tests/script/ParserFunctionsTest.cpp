// Functions of the word table, their descriptions, random sources, folding.
#include "ParserTestSupport.hpp"

#include "script/ExprFunction.hpp"
#include "script/ProcessRandom.hpp"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace kpf::script::test {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(ParserFunctions, Values)
{
    ExpectValues({
        {"exp(0)", 1},           {"if(1, 5, 6)", 5},        {"if(0, 5, 6)", 6},
        {"if(256, 5, 6)", 6},    {"if(257, 5, 6)", 5},      {"sqr(3)", 9},
        {"sqrt(16)", 4},         {"abs(-2)", 2},            {"round(2.5)", 2},
        {"round(3.5)", 4},       {"round(-2.5)", -2},       {"trunc(-2.7)", -2},
        {"ln(1)", 0},            {"log10(1000)", 3},        {"logn(2, 8)", 3},
        {"power(2, 10)", 1024},  {"pow(2, 3)", 8},          {"intpower(2, 10)", 1024},
        {"intpower(2, -2)", 0.25}, {"max(1, 2)", 2},        {"min(1, 2)", 1},
        {"max(1, 2, 3)", 2},     {"sin(0)", 0},             {"cos(0)", 1},
        {"tan(0)", 0},           {"arcsin(1)", kPi / 2},    {"arccos(1)", 0},
        {"arctan2(1, 1)", kPi / 4}, {"arctan2(1, 0)", kPi / 2}, {"arctan(1)", kPi / 4},
        {"sinh(0)", 0},          {"cosh(0)", 1},            {"tanh(0)", 0},
        {"arcsinh(0)", 0},       {"arccosh(1)", 0},         {"arctanh(0)", 0},
        {"degtorad(180)", kPi},  {"radtodeg(pi)", 180},     {"pi", 3.141592653589793},
        {"max(1, 2) * 3", 6},    {"sqrt(sqr(3) + sqr(4))", 5}, {"170! > 7e306", 1},
    });
}

TEST(ParserFunctions, TableWordsCarryTheirDescriptions)
{
    const TTextCase cases[] = {
        {"pi", "pi = 3.1415926535897932385"}, {"random", "random number between 0 and 1"},
        {"exp", "the value of e raised to the power of x"}, {"if", "if x=True(or 1) then y else z"},
        {"randg", "draw from normal distrib. (mean=x, sd =y)"}, {"sqr", "the square of a number (x*x)"},
        {"sqrt", "the square root of a number"}, {"abs", "absolute value"},
        {"round", "round to the nearest integer"}, {"trunc", "truncates a real number to an integer"},
        {"ln", "natural logarithm of x"}, {"log10", "logarithm base 10 of x"},
        {"logN", "logarithm base x of y"}, {"power", "power: x^y"}, {"pow", "power: x^y"},
        {"intpower", "integer power: x^y"}, {"max", "the maximum of both arguments"},
        {"min", "the minimum of both arguments"}, {"sin", "sine of an angle in rad"},
        {"cos", "cosine of an angle in rad"}, {"tan", "tangent of an angle in rad"},
        {"arcsin", "inverse sine in rad"}, {"arccos", "inverse cosine in rad"},
        {"arctan2", "inverse tangent (x/y) in rad"}, {"arctan", "inverse tangent (x/y) in rad"},
        {"sinh", "hyperbolic sine of an angle in rad"}, {"cosh", "hyperbolic sine of an angle in rad"},
        {"tanh", "hyperbolic tangent of an angle in rad"}, {"arcsinh", "inverse sine in rad"},
        {"arccosh", "inverse hyperbolic cosine in rad"}, {"arctanh", "inverse hyperbolic tangent in rad"},
        {"degtorad", "conversion of degrees to radians"}, {"radtodeg", "conversion of rad to degrees"},
        {"pos", "Position in of substring in string"},
    };
    TExpressionParser parser;
    for (const auto& c : cases) {
        const TExprWord* word = parser.FindWord(c.Expression);
        ASSERT_NE(word, nullptr) << c.Expression;
        EXPECT_EQ(word->Description(), c.Expected) << c.Expression;
    }
}

TEST(ParserFunctions, OperatorPrioritiesAndArgumentCounts)
{
    struct TCase {
        const char* Name;
        int Priority;
        int Args;
        std::uint8_t Result;
    };
    const TCase cases[] = {
        {"!", 10, 1, 0},  {"++", 5, 1, 0},  {"--", 5, 1, 0},  {"%", 10, 1, 0},   {"-@", 10, 1, 0},
        {"+@", 10, 1, 0}, {"^", 20, 2, 0},  {"^@", 20, 2, 0}, {"*", 30, 2, 0},   {"/", 30, 2, 0},
        {"div", 30, 2, 0}, {"mod", 30, 2, 0}, {"+", 40, 2, 0}, {"-", 40, 2, 0},  {">", 50, 2, 1},
        {">=", 50, 2, 1}, {"<=", 50, 2, 1}, {"<", 50, 2, 1},  {"<>", 50, 2, 1},  {"=", 50, 2, 1},
        {"in", 10, 2, 1}, {"not", 60, 1, 1}, {"or", 70, 2, 1}, {"and", 70, 2, 1}, {"xor", 70, 2, 1},
        {":=", 200, 2, 0}, {"if", 0, 3, 0},  {"randg", 0, 2, 0}, {"random", 0, 0, 0}, {"logn", 0, 2, 0},
    };
    TExpressionParser parser;
    for (const auto& c : cases) {
        const TExprWord* word = parser.FindWord(c.Name);
        ASSERT_NE(word, nullptr) << c.Name;
        EXPECT_EQ(word->Priority(), c.Priority) << c.Name;
        EXPECT_EQ(word->ArgCount(), c.Args) << c.Name;
        EXPECT_EQ(word->ResultType(), c.Result) << c.Name;
        EXPECT_EQ(word->IsOperator(), c.Priority != 0) << c.Name;
    }
    EXPECT_TRUE(parser.FindWord("random")->CanVary());
    EXPECT_TRUE(parser.FindWord("randg")->CanVary());
    EXPECT_FALSE(parser.FindWord("sin")->CanVary());
}

TEST(ParserFunctions, RandomComesFromTheInjectedSource)
{
    std::vector<double> numbers{0.25, 0.75, 0.5};
    std::size_t next = 0;
    TExpressionParser parser([&] { return numbers[next++ % numbers.size()]; });
    const int index = parser.AddExpression("random");
    EXPECT_EQ(parser.Evaluate(index), 0.25);  // not folded: it can vary
    EXPECT_EQ(parser.Evaluate(index), 0.75);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("randg(10, 0)")), 10);
    // randg draws a normal deviate from two uniforms.
    next = 0;
    const double first = parser.Evaluate(parser.AddExpression("randg(3, 2)"));
    next = 0;
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("randg(3, 2)")), first);
    EXPECT_TRUE(std::isfinite(first));
}

TEST(ParserFunctions, ProcessGeneratorCanBeSeeded)
{
    SeedProcessRandom(42);
    const double a = ValueOf("random");
    const double b = ValueOf("random");
    SeedProcessRandom(42);
    EXPECT_EQ(ValueOf("random"), a);
    EXPECT_EQ(ValueOf("random"), b);
    EXPECT_NE(a, b);
    for (int i = 0; i < 1000; ++i) {
        const double v = ValueOf("random");
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
    }
    double sum = 0.0;
    for (int i = 0; i < 2000; ++i)
        sum += ValueOf("randg(5, 1)");
    EXPECT_NEAR(sum / 2000.0, 5.0, 0.2);
}

TEST(ParserFolding, ConstantFaultsAreCompileErrors)
{
    TExpressionParser parser;
    EXPECT_THROW(parser.AddExpression("x + 1/0"), EParserException);
    EXPECT_EQ(parser.ExpressionCount(), 0);
    // Without folding the same fault shows when evaluating.
    parser.Optimize = false;
    const int index = parser.AddExpression("1/0");
    EXPECT_THROW(parser.Evaluate(index), EParserException);
}

TEST(ParserFolding, VaryingPartsAreEvaluatedEachTimeAndPiBelongsToOneParser)
{
    TExpressionParser parser;
    parser.Evaluate(parser.AddExpression("x := 1"));
    const int index = parser.AddExpression("x * (2 + 3)");
    EXPECT_EQ(parser.Evaluate(index), 5);
    parser.Evaluate(parser.AddExpression("x := 2"));
    EXPECT_EQ(parser.Evaluate(index), 10);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("pi := 3")), 3);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("pi * 1")), 3);
    EXPECT_EQ(ValueOf("pi"), 3.141592653589793);  // a fresh parser has its own pi
}

TEST(ParserFolding, ResultsMatchWithAndWithoutFolding)
{
    for (const char* expression : {"2+3*4", "-2^2", "10 % * 3", "if(1 < 2, 7, 8)", "pos('c', 'abc') + 1",
                                   "max(1, 2, 3)", "not not not 1", "2^3^2"}) {
        TExpressionParser folded;
        TExpressionParser plain;
        plain.Optimize = false;
        EXPECT_EQ(folded.EvaluateAsString(folded.AddExpression(expression)),
                  plain.EvaluateAsString(plain.AddExpression(expression)))
            << expression;
    }
}

}  // namespace
}  // namespace kpf::script::test
