// The caller's view: expression list, indices, folding, the word table, random sources, word
// definitions, the dictionary and its binary search.
#include <vector>

#include "ParserTestSupport.hpp"
#include "script/ExprFunction.hpp"
#include "script/ProcessRandom.hpp"
#include "script/TExpressList.hpp"

namespace kpf::script::test {
namespace {

TEST(ParserApi, EntryPointEmptyTextAndNegativeIndex) {
  EXPECT_EQ(EvaluateToText("2+3*4"), "14");
  EXPECT_THROW(EvaluateToText("(1"), EParserException);
  TExpressionParser parser;
  parser.ClearExpressions();  // harmless before anything was added
  EXPECT_EQ(parser.AddExpression(""), -1);
  EXPECT_TRUE(std::isnan(parser.Evaluate(-1)));
  EXPECT_EQ(parser.EvaluateAsString(-1), "NAN");
  EXPECT_THROW(parser.Evaluate(0), EParserException);
}

TEST(ParserApi, SameTextIsCompiledOnceUntilClearedAndFailedCompilesAddNothing) {
  TExpressionParser parser;
  const int first = parser.AddExpression("x+1");
  EXPECT_EQ(parser.AddExpression("y*2"), 1);
  EXPECT_EQ(parser.AddExpression("X+1"), first);
  EXPECT_EQ(parser.CurrentIndex(), first);
  EXPECT_EQ(parser.CurrentExpressionText(), "x+1");
  EXPECT_THROW(parser.AddExpression("1 2"), EParserException);
  EXPECT_EQ(parser.ExpressionCount(), 2);
  // Names met before the error stay known.
  EXPECT_THROW(parser.AddExpression("newname + )"), EParserException);
  EXPECT_NE(parser.FindWord("newname"), nullptr);
  parser.ClearExpressions();
  EXPECT_EQ(parser.ExpressionCount(), 0);
  EXPECT_EQ(parser.CurrentIndex(), -1);
  EXPECT_EQ(parser.CurrentExpressionText(), "");
  EXPECT_EQ(parser.AddExpression("y*2"), 0);
}

TEST(ParserFolding, ConstantFaultsAreCompileErrors) {
  TExpressionParser parser;
  EXPECT_THROW(parser.AddExpression("x + 1/0"), EParserException);
  EXPECT_EQ(parser.ExpressionCount(), 0);
  // Without folding the same fault shows when evaluating.
  parser.Optimize = false;
  const int index = parser.AddExpression("1/0");
  EXPECT_THROW(parser.Evaluate(index), EParserException);
}

TEST(ParserFolding, VaryingPartsAreEvaluatedEachTimeAndPiBelongsToOneParser) {
  TExpressionParser parser;
  parser.Evaluate(parser.AddExpression("x := 0"));
  const int index = parser.AddExpression("(2 + 3) / x");
  EXPECT_THROW(parser.Evaluate(index), EParserException);
  parser.Evaluate(parser.AddExpression("x := 2"));
  EXPECT_EQ(parser.Evaluate(index), 2.5);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("pi := 3")), 3);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("pi * 1")), 3);
  EXPECT_EQ(ValueOf("pi"), 3.141592653589793);  // a fresh parser has its own pi
}

TEST(ParserWords, OperatorPrioritiesAndArgumentCounts) {
  const struct {
    const char* Name;
    int Priority;
    int Args;
    std::uint8_t Result;
  } cases[] = {
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
    EXPECT_EQ(std::tuple(word->Priority(), word->ArgCount(), word->ResultType(), word->IsOperator()),
              std::tuple(c.Priority, c.Args, c.Result, c.Priority != 0))
        << c.Name;
  }
  EXPECT_TRUE(parser.FindWord("random")->CanVary());
  EXPECT_TRUE(parser.FindWord("randg")->CanVary());
  EXPECT_FALSE(parser.FindWord("sin")->CanVary());
}

TEST(ParserWords, RandomComesFromTheInjectedSource) {
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

TEST(ParserWords, ProcessGeneratorCanBeSeeded) {
  SeedProcessRandom(42);
  const double a = ValueOf("random");
  const double b = ValueOf("random");
  SeedProcessRandom(42);
  EXPECT_EQ(ValueOf("random"), a);
  EXPECT_EQ(ValueOf("random"), b);
  EXPECT_NE(a, b);
  double sum = 0.0;
  for (int i = 0; i < 2000; ++i) {
    const double v = ValueOf("random");
    ASSERT_GE(v, 0.0);
    ASSERT_LT(v, 1.0);
    sum += ValueOf("randg(5, 1)");
  }
  EXPECT_NEAR(sum / 2000.0, 5.0, 0.2);
}

double Length(std::string_view a, std::string_view) { return static_cast<double>(a.size()); }

std::unique_ptr<TGeneratedVariable> TextVariable(std::string_view name, std::string value) {
  auto variable = std::make_unique<TGeneratedVariable>(name);
  variable->VarResultType = kResultText;
  variable->StringValue = std::move(value);
  return variable;
}

TEST(ParserApi, DefinedWordsRewireCompiledChains) {
  TExpressionParser parser;
  parser.DefineStringFunction("Len", "length of a text", &Length);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("len('abcd') * 2")), 8);
  EXPECT_EQ(parser.FindWord("LEN")->Description(), "length of a text");

  const int sum = parser.AddExpression("y + sin(y)");
  EXPECT_TRUE(std::isnan(parser.Evaluate(sum)));
  parser.DefineWord(std::make_unique<TDoubleConstant>("Y", 41));
  parser.DefineWord(
      std::make_unique<TVaryingFunction>("sin", "always one", false, 0, 1, [](TExprRec& r) { r.Res = 1; }));
  EXPECT_EQ(parser.Evaluate(sum), 42);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("y")), 41);
  EXPECT_EQ(ValueOf("sin(0)"), 0);  // other parsers keep the table word

  auto* s = static_cast<TGeneratedVariable*>(parser.DefineWord(TextVariable("s", "abc")));
  const int index = parser.AddExpression("pos('b', s)");
  EXPECT_EQ(parser.Evaluate(index), 2);
  s->StringValue = "xxb";  // a varying text is not folded
  EXPECT_EQ(parser.Evaluate(index), 3);
  EXPECT_EQ(parser.EvaluateAsString(parser.AddExpression("s = 'xxb'")), "True");
  parser.DefineWord(TextVariable("s", "bxx"));  // frees the first variable and rewires the chain
  EXPECT_EQ(parser.Evaluate(index), 1);
}

TEST(ExpressList, SortedCaseFoldedSearch) {
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
  EXPECT_EQ(std::tuple(list[0]->Name(), list[1]->Name(), list[3]->Name()), std::tuple("a", "ab", "c"));
  int index = -1;
  EXPECT_TRUE(list.Search("AB", index) && index == 1);
  EXPECT_FALSE(list.Search("bb", index));
  EXPECT_EQ(index, 3);  // where "bb" would go
  EXPECT_EQ(list.IndexOf(list[2]), 2);
  list.RemoveAndFree(list.Find("C"));
  EXPECT_EQ(list.Find("c"), nullptr);
  EXPECT_EQ(list.Count(), 3);
}

}  // namespace
}  // namespace kpf::script::test
