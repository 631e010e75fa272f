// Operators, priorities and grouping.
#include "ParserTestSupport.hpp"

#include <gtest/gtest.h>

namespace kpf::script::test {
namespace {

TEST(ParserOperators, PrioritiesAndGrouping)
{
    ExpectValues({
        {"2+3*4", 14}, {"(2+3)*4", 20},
        {"2^3^2", 64},  // "^" groups from the left
        {"-2^2", 4},    // prefix minus binds tighter than "^"
        {"2*-3", -6}, {"- - 3", 3}, {"1 - -1", 2}, {"+3", 3}, {"-(2+3)", -5}, {"3 - 2 - 1", 0},
        {"8 / 4 / 2", 1}, {"(1+2)*(3+4)", 21}, {"2 + 3!", 8}, {"1 + 2 = 3", 1}, {"1 = 1 and 2 = 2", 1},
        {"((((7))))", 7},
    });
}

TEST(ParserOperators, Negation)
{
    ExpectValues({
        {"not not 1", 1}, {"not not not 1", 0}, {"not 0", 1}, {"not 1", 0},
        {"not 2", 3},        // low 8 bits with bit 0 inverted
        {"not 256", 1}, {"(not not 5)", 5},
        {"not not -3", -3},  // the sign after a vanished "not" run is still a sign
    });
}

TEST(ParserOperators, PostfixAndIntegerOperators)
{
    ExpectValues({
        {"10 % * 3", 0.3}, {"50%", 0.5}, {"3!", 6}, {"0!", 1}, {"-5!", 1}, {"5!", 120}, {"3!!", 720},
        {"7 div 2", 3}, {"-7 div 2", -3}, {"-7 mod 2", -1}, {"7 mod -2", 1},
        {"2.5 div 1", 2},  // Round half to even
        {"3.5 div 1", 4}, {"6 and 3", 2}, {"6 or 3", 7}, {"6 xor 3", 5},
    });
}

TEST(ParserOperators, Comparisons)
{
    ExpectValues({
        {"1e-31 = 0", 1}, {"1e-31 > 0", 1}, {"0.1 + 0.2 = 0.3", 0}, {"1 > 1", 0}, {"1 >= 1", 1}, {"1 <= 1", 1},
        {"1 < 1", 0}, {"1 < 2", 1}, {"2 <> 2", 0}, {"2 <> 3", 1}, {"2 in 2", 1}, {"2 in 3", 0},
    });
}

TEST(ParserOperators, Powers)
{
    ExpectValues({
        {"2^10", 1024}, {"2^-1", 0.5}, {"4^0.5", 2}, {"0^0", 1}, {"0^2", 0}, {"(-2)^3", -8},
        {"2^1e-5", std::pow(2.0, 1e-5)},  // not an integer literal: real power
        {"1^1e18", 1},                     // integer power by squaring, no long loop
        {"2^-9999999999", 0},
    });
}

TEST(ParserOperators, AssignmentAndIncrementWriteInPlace)
{
    TExpressionParser parser;
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("x := 3 + 4")), 7);  // ":=" binds loosest
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("x")), 7);
    const int increment = parser.AddExpression("x++");
    EXPECT_EQ(parser.Evaluate(increment), 8);
    EXPECT_EQ(parser.Evaluate(increment), 9);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("--x")), 8);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("a := b := 3")), 3);
}

TEST(ParserOperators, UnknownNamesAreNaN)
{
    EXPECT_TRUE(std::isnan(ValueOf("x + 1")));
    EXPECT_TRUE(std::isnan(ValueOf("$zz")));
    EXPECT_EQ(ValueOf("$ff + 1"), 256);
    EXPECT_EQ(ValueOf("$FFFFFFFF"), -1);  // a 32-bit integer
    EXPECT_EQ(ValueOf("$80000000"), -2147483648.0);
}

}  // namespace
}  // namespace kpf::script::test
