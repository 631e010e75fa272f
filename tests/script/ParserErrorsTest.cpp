// Every error text of the parser.
#include "ParserTestSupport.hpp"

#include "script/ExprFunction.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kpf::script::test {
namespace {

const std::string kMath = "Error in math expression: ";

TEST(ParserErrors, CompileMessages)
{
    const TTextCase cases[] = {
        {"(1", "Unequal brackets"}, {"1+(2", "Unequal brackets"}, {")", "Unequal brackets"},
        {"1 2", "Error in math expression: 1 two space limited variables/constants"},
        {"a b", "Error in math expression: a two space limited variables/constants"},
        {"'it''s'", "Error in math expression: 'it' two space limited variables/constants"},
        {"1 != 2", "Error in math expression: 1 two space limited variables/constants"},
        {"x(1)", "Error in math expression: x is an unknown function"},
        {"()", "Error in math expression: Empty brackets ()"},
        {"max()", "Error in math expression: Empty brackets ()"},
        {"(1)(2)", "Error in math expression: Missing operand between )("},
        {"(1)2", "Error in math expression: Missing operand between ) and constant/variable"},
        {"(1) x", "Error in math expression: Missing operand between ) and constant/variable"},
        {"2(1)", "Error in math expression: Missing operand between constant/variable and ("},
        {"pi(2)", "Error in math expression: Missing operand between constant/variable and ("},
        {"(1,2)", "Error in math expression: Syntax error in expression (1,2)"},
        {"1,2", "Error in math expression: Syntax error in expression 1,2"},
        {"max(1,,2)", "Error in math expression: Can not find operand/function"},
        {"max(,1)", "Error in math expression: Can not find operand/function"},
        {"max(1)", "Error in math expression: Syntax error: function or operand has too few arguments"},
        {"1 +", "Error in math expression: Syntax error: function or operand has too few arguments"},
        {"sin", "Error in math expression: Syntax error: function or operand has too few arguments"},
        {"max(1,2,3,4,5,6,7)", "Too many arguments"}, {"'a' + 'b'", "+ is not a valid string operand"},
        {"1e", "'1e' is not a valid floating point value"}, {".", "'.' is not a valid floating point value"},
        {"1e+", "'1e+' is not a valid floating point value"},
        {"$100000000", "'$100000000' is not a valid integer value"},
        {"$1f.5", "'$1f.5' is not a valid integer value"}, {"1e400", "Floating point overflow"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorOf(c.Expression), c.Expected) << c.Expression;
}

TEST(ParserErrors, NumericFaults)
{
    const TTextCase cases[] = {
        {"1/0", "Division by zero"}, {"0/0", "Invalid floating point operation"},
        {"sqrt(-1)", "Invalid floating point operation"}, {"ln(-1)", "Invalid floating point operation"},
        {"ln(0)", "Division by zero"}, {"log10(0)", "Division by zero"}, {"logn(1, 5)", "Division by zero"},
        {"arcsin(2)", "Invalid floating point operation"}, {"exp(1000)", "Floating point overflow"},
        {"1e300 * 1e300", "Floating point overflow"}, {"5 div 0", "Division by zero"},
        {"5 mod 0", "Division by zero"},
        {"5 div 0.4", "Division by zero"},  // Round(0.4) = 0
        {"171!", "Floating point overflow"}, {"round(1e19)", "Invalid floating point operation"},
        {"1e19 div 1", "Invalid floating point operation"}, {"not 1e300", "Invalid floating point operation"},
        {"(-9223372036854775807-1) div -1", "Integer overflow"}, {"0^-1", "Division by zero"},
        {"0^-0.5", "Division by zero"}, {"(-8)^(1/3)", "Invalid floating point operation"},
        {"2^2147483647", "Floating point overflow"}, {"2^(1e10)", "Floating point overflow"},
        {"intpower(2, 1e30)", "Invalid floating point operation"},
        {"if(x, 1, 2)", "Invalid floating point operation"},  // Round(NaN)
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorOf(c.Expression), c.Expected) << c.Expression << " (folded)";
        EXPECT_EQ(ErrorOf(c.Expression, false), c.Expected) << c.Expression << " (evaluated)";
    }
    EXPECT_EQ(ErrorOf("(-9223372036854775807-1) mod -1"), "<no error>");
}

TEST(ParserErrors, FaultsWhileEvaluatingVariables)
{
    TExpressionParser parser;
    parser.Evaluate(parser.AddExpression("x := 0"));
    const int index = parser.AddExpression("1 / x");
    EXPECT_THROW(parser.Evaluate(index), EParserException);
    parser.Evaluate(parser.AddExpression("x := 4"));
    EXPECT_EQ(parser.Evaluate(index), 0.25);
}

TEST(ParserErrors, TooManyArgumentsForAFunctionWord)
{
    try {
        TFunction word("f", "", false, 0, 7, nullptr);
        FAIL() << "created";
    } catch (const EParserException& e) {
        EXPECT_STREQ(e.what(), "Too many arguments");
    }
    EXPECT_NO_THROW(TFunction("f", "", false, 0, 6, nullptr));
}

TEST(ParserErrors, ReplaceWordNeedsEqualArgumentCounts)
{
    TExpressionParser parser;
    parser.AddExpression("sin(1) + x");
    try {
        parser.ReplaceWord(parser.FindWord("sin"), parser.FindWord("max"));
        FAIL() << "replaced";
    } catch (const EParserException&) {
        FAIL() << "wrong exception class";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(),
                     "Error in math expression: Cannot replace variable/function NFuntionArg doesn't match");
    }
}

}  // namespace
}  // namespace kpf::script::test
