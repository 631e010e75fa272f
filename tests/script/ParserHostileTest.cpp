// Hostile input: no text may crash, hang, overflow the stack or hit UB.
#include "ParserTestSupport.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kpf::script::test {
namespace {

std::string Repeat(std::string_view part, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += part;
    return text;
}

// Evaluates and returns the result text or "error: <message>"; any other
// exception type fails the test.
std::string Outcome(std::string_view expression)
{
    try {
        return TextOf(expression);
    } catch (const EParserException& e) {
        return std::string("error: ") + e.what();
    }
}

TEST(ParserHostile, LengthLimit)
{
    const std::string sum = "1" + Repeat("+1", 2047);  // 4095 characters
    EXPECT_EQ(Outcome(sum), "2048");
    EXPECT_EQ(Outcome(sum + " "), "2048");
    EXPECT_EQ(Outcome(sum + "+1"), "error: Error in math expression: expression longer than 4096 characters");
}

TEST(ParserHostile, NestingLimit)
{
    EXPECT_EQ(Outcome(Repeat("(", 256) + "1" + Repeat(")", 256)), "1");
    EXPECT_EQ(Outcome(Repeat("-(", 256) + "1" + Repeat(")", 256)), "1");
    EXPECT_EQ(Outcome(Repeat("sin(", 256) + "0" + Repeat(")", 256)), "0");
    EXPECT_EQ(Outcome(Repeat("(", 257) + "1" + Repeat(")", 257)),
              "error: Error in math expression: Brackets nested deeper than 256 levels");
    EXPECT_EQ(Outcome(Repeat("(", 2000) + Repeat(")", 2000)),
              "error: Error in math expression: Brackets nested deeper than 256 levels");
    // Every priority level inside every bracket level.
    const std::string level = "1or 1=1+1*1^-1!+(";
    EXPECT_EQ(Outcome(Repeat(level, 220) + "1" + Repeat(")", 220)), "True");
}

TEST(ParserHostile, LongRunsStayIterative)
{
    EXPECT_EQ(Outcome("1" + Repeat("!", 4000)), "1");
    // "--" is the decrement operator: a run of them has no operand to change.
    EXPECT_EQ(Outcome(Repeat("-", 4000) + "1").rfind("error: ", 0), 0U);
    EXPECT_EQ(Outcome(Repeat("-", 3) + "1"), "error: Error in math expression: Syntax error: function or operand has too few arguments");
    EXPECT_EQ(Outcome(Repeat("not ", 1000) + "1"), "1");
    EXPECT_EQ(Outcome(Repeat("- ", 1001) + "1"), "-1");
    EXPECT_EQ(Outcome(Repeat("2^", 1000) + "1"), "error: Floating point overflow");  // ((2^2)^2)^...
    EXPECT_EQ(Outcome(Repeat("1^", 1000) + "1"), "1");
    EXPECT_EQ(Outcome("x" + Repeat(" := x", 600)), "NAN");
    std::string names = "a0";
    for (int i = 1; i < 600; ++i)
        names += "+a" + std::to_string(i);
    EXPECT_EQ(Outcome(names), "NAN");
}

TEST(ParserHostile, OperandsWithoutPlaceAreRejected)
{
    for (const char* expression : {"3 ! 4", "1 not 2", "sin(1) pos('a')", "max(1,2) min(3,4)", "2 sin(1)", "1++2",
                                   "))((", ")1+1(", "(,)", "(1,)", "+", "-", "++", ",", "(", "not", "!", "1 !=",
                                   "max", "max 1", "max(1,2", "1 && 2", "1 || 2", "1 == 2"}) {
        const std::string outcome = Outcome(expression);
        EXPECT_EQ(outcome.rfind("error: ", 0), 0U) << expression << " gave " << outcome;
    }
}

TEST(ParserHostile, EveryByteAloneAndInPairs)
{
    for (int c = 1; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        Outcome(one);
        Outcome("1" + one + "2");
        Outcome("(" + one + ")");
        Outcome("max(" + one + ", 1)");
        Outcome("'" + one);
    }
    SUCCEED();
}

TEST(ParserHostile, TextFunctionNeedsItsExactWordPattern)
{
    // A text function takes its words only when "f ( s1 )" or "f ( s1 , s2 )" stands complete;
    // any other words between its brackets are refused before a word is taken.
    const std::string refused = "error: Error in math expression: pos expects one or two texts as arguments";
    for (const char* expression : {"pos('a',)", "pos('a', 1)", "pos('a' + 1)", "pos('a','b',)", "pos('a', ('b'))"})
        EXPECT_EQ(Outcome(expression), refused) << expression;
    // Patterns that end with the word list, or leave words unbound, fail in the other checks.
    for (const char* expression : {"pos('a', 'b' 1)", "pos(('a'))", "pos('a','b','c')", "1 + pos('a'",
                                   ")pos('a','b'", "pos('a')pos('b')", "pos(", "pos('a'"}) {
        const std::string outcome = Outcome(expression);
        EXPECT_EQ(outcome.rfind("error: ", 0), 0U) << expression << " gave " << outcome;
    }
    EXPECT_EQ(Outcome("pos('b', 'abc')"), "2");
}

TEST(ParserHostile, NumbersAtTheEdges)
{
    EXPECT_EQ(Outcome("1e-400"), "0");
    EXPECT_EQ(Outcome("$0000000000ff"), "255");
    EXPECT_EQ(Outcome("$ffffffff"), "-1");
    EXPECT_EQ(Outcome("1.7976931348623157e308"), "1.797693135E308");
    EXPECT_EQ(Outcome("(0-1) ^ 9223372036854775807"), "error: Invalid floating point operation");
    EXPECT_EQ(Outcome("9223372036854775807 div 1"), "error: Invalid floating point operation");
    EXPECT_EQ(Outcome("-9223372036854775807 div 1"), "-9.223372037E018");
}

}  // namespace
}  // namespace kpf::script::test
