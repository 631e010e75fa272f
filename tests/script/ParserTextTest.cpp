// Text comparisons and text functions.
#include "ParserTestSupport.hpp"

#include <gtest/gtest.h>

namespace kpf::script::test {
namespace {

TEST(ParserText, ComparisonsAndFunctions)
{
    const TTextCase cases[] = {
        {"'Abc' = 'aBC'", "True"},  // texts are lower-cased before comparing
        {"'b' in 'a,b,c'", "True"},
        {"'b' in 'a, b'", "False"},  // spaces are kept
        {"'a, b' in 'x,a, b'", "False"}, {"' b' in 'a, b'", "True"}, {"'' in 'a,,b'", "True"},
        {"'a' < 'b'", "True"},
        {"'ab' > 'a'", "True"},  // a prefix sorts first
        {"'a' <> 'b'", "True"}, {"'abc' >= 'abc'", "True"}, {"'b' <= 'a'", "False"}, {"pos('c', 'abc')", "3"},
        {"pos('x', 'abc')", "0"}, {"pos('bc', 'abcbc')", "2"}, {"pos('', 'abc')", "0"}, {"pos('a')", "0"},
        {"pos('c', 'abc') + 1", "4"}, {"if('a' = 'a', 5, 6)", "5"}, {"'a' = 'a' and 'b' = 'b'", "True"},
        {"not ('a' = 'b')", "True"},
    };
    for (const auto& c : cases) {
        std::string actual;
        ASSERT_NO_THROW(actual = TextOf(c.Expression)) << c.Expression;
        EXPECT_EQ(actual, c.Expected) << c.Expression;
    }
}

TEST(ParserText, BadOperatorBetweenTexts)
{
    EXPECT_EQ(ErrorOf("'a' + 'b'"), "+ is not a valid string operand");
    EXPECT_EQ(ErrorOf("'a' and 'b'"), "and is not a valid string operand");
}

TEST(ParserText, TextWithoutNumericUseIsRejected)
{
    for (const char* expression : {"'abc'", "'a' + 1", "sin('a')", "'", "'abc", "pos", "pos + 1",
                                   "pos('a', 'b', 'c')", "pos(1, 2)"}) {
        EXPECT_NE(ErrorOf(expression), "<no error>") << expression;
    }
}

std::unique_ptr<TGeneratedVariable> TextVariable(std::string_view name, std::string value)
{
    auto variable = std::make_unique<TGeneratedVariable>(name);
    variable->VarResultType = kResultText;
    variable->StringValue = std::move(value);
    return variable;
}

TEST(ParserText, TextVariablesAreReadWhenEvaluated)
{
    TExpressionParser parser;
    auto* s = static_cast<TGeneratedVariable*>(parser.DefineWord(TextVariable("s", "abc")));
    const int index = parser.AddExpression("pos('b', s)");
    EXPECT_EQ(parser.Evaluate(index), 2);
    s->StringValue = "xxb";  // a varying text is not folded
    EXPECT_EQ(parser.Evaluate(index), 3);
    EXPECT_EQ(parser.EvaluateAsString(parser.AddExpression("s = 'xxb'")), "True");
    parser.DefineWord(TextVariable("s", "bxx"));  // frees the first variable and rewires the chain
    EXPECT_EQ(parser.Evaluate(index), 1);
}

}  // namespace
}  // namespace kpf::script::test
