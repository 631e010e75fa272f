// The caller's view: expression list, indices, word definitions, the
// dictionary and its binary search.
#include "ParserTestSupport.hpp"

#include "script/ExprFunction.hpp"
#include "script/TExpressList.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kpf::script::test {
namespace {

TEST(ParserApi, EntryPointEmptyTextAndNegativeIndex)
{
    EXPECT_EQ(EvaluateToText("2+3*4"), "14");
    EXPECT_EQ(EvaluateToText(""), "NAN");
    EXPECT_THROW(EvaluateToText("(1"), EParserException);
    TExpressionParser parser;
    parser.ClearExpressions();  // harmless before anything was added
    EXPECT_EQ(parser.AddExpression(""), -1);
    EXPECT_TRUE(std::isnan(parser.Evaluate(-1)));
    EXPECT_EQ(parser.EvaluateAsString(-1), "NAN");
    EXPECT_THROW(parser.Evaluate(0), EParserException);
    EXPECT_EQ(parser.EvaluateAsString(parser.AddExpression("(x + 1) * 2")), "NAN");
}

TEST(ParserApi, SameTextIsCompiledOnceUntilCleared)
{
    TExpressionParser parser;
    const int first = parser.AddExpression("x+1");
    EXPECT_EQ(parser.AddExpression("y*2"), 1);
    EXPECT_EQ(parser.AddExpression("x+1"), first);
    EXPECT_EQ(parser.AddExpression("X+1"), first);
    EXPECT_EQ(parser.CurrentIndex(), first);
    EXPECT_EQ(parser.CurrentExpressionText(), "x+1");
    EXPECT_EQ(parser.ExpressionCount(), 2);
    parser.ClearExpressions();
    EXPECT_EQ(parser.ExpressionCount(), 0);
    EXPECT_EQ(parser.CurrentIndex(), -1);
    EXPECT_EQ(parser.CurrentExpressionText(), "");
    EXPECT_EQ(parser.AddExpression("y*2"), 0);
}

TEST(ParserApi, FailedCompileAddsNothing)
{
    TExpressionParser parser;
    parser.AddExpression("1");
    EXPECT_THROW(parser.AddExpression("1 2"), EParserException);
    EXPECT_EQ(parser.ExpressionCount(), 1);
    // Names met before the error stay known.
    EXPECT_THROW(parser.AddExpression("newname + )"), EParserException);
    EXPECT_NE(parser.FindWord("newname"), nullptr);
}

double Length(std::string_view a, std::string_view) { return static_cast<double>(a.size()); }

TEST(ParserApi, DefineStringFunction)
{
    TExpressionParser parser;
    parser.DefineStringFunction("Len", "length of a text", &Length);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("len('abcd') * 2")), 8);
    EXPECT_EQ(parser.FindWord("LEN")->Description(), "length of a text");
}

TEST(ParserApi, DefineWordRewiresCompiledChains)
{
    TExpressionParser parser;
    const int index = parser.AddExpression("y + 1");
    EXPECT_TRUE(std::isnan(parser.Evaluate(index)));
    parser.DefineWord(std::make_unique<TDoubleConstant>("Y", 41));
    EXPECT_EQ(parser.Evaluate(index), 42);
    EXPECT_EQ(parser.Evaluate(parser.AddExpression("y")), 41);
}

TEST(ParserApi, DefineWordReplacesATableFunction)
{
    TExpressionParser parser;
    const int index = parser.AddExpression("sin(x)");
    parser.DefineWord(std::make_unique<TVaryingFunction>(
        "sin", "always seven", false, 0, 1, [](TExprRec& r) { r.Res = 7; }));
    EXPECT_EQ(parser.Evaluate(index), 7);
    EXPECT_EQ(ValueOf("sin(0)"), 0);  // other parsers keep the table word
}

TEST(ExpressList, SortedCaseFoldedSearch)
{
    EXPECT_LT(CompareFoldedNames("a", "B"), 0);
    EXPECT_EQ(CompareFoldedNames("abc", "ABC"), 0);
    EXPECT_GT(CompareFoldedNames("_", "a"), 0);  // "_" sorts after the folded "A"
    EXPECT_GT(CompareFoldedNames("\xff", "a"), 0);
    EXPECT_LT(CompareFoldedNames("ab", "abc"), 0);

    TExpressList list;
    for (const char* name : {"b", "a", "c", "ab"})
        ASSERT_NE(list.InsertOwned(std::make_unique<TGeneratedVariable>(name)), nullptr);
    EXPECT_EQ(list.InsertOwned(std::make_unique<TGeneratedVariable>("B")), nullptr);  // no duplicates
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list[0]->Name(), "a");
    EXPECT_EQ(list[1]->Name(), "ab");
    EXPECT_EQ(list[3]->Name(), "c");
    int index = -1;
    EXPECT_TRUE(list.Search("AB", index));
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(list.Search("bb", index));
    EXPECT_EQ(index, 3);
    EXPECT_EQ(list.IndexOf(list[2]), 2);
    TExprWord* c = list.Find("C");
    list.RemoveAndFree(c);
    EXPECT_EQ(list.Find("c"), nullptr);
    EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace kpf::script::test
