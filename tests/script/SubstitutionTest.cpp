// Text expressions, variable tags in text, integer and condition parameters, and animation
// positions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/TextEvaluator.hpp"
#include "script/TextExpression.hpp"
#include "script/VariableSubstitution.hpp"
#include "SubstitutionTestSupport.hpp"

namespace kpf::script {
namespace {

using testing::CountingRandom;
using testing::IntegerVariable;
using testing::TextVariable;

template <typename T>
struct Case {
  const char* input;
  T expected;
};

TEST(ParseTextExpressionTest, BuildsTheTextOrNothing) {
  const Case<std::string> cases[] = {
      {R"("Hello, "&<%NAME%>&"!")", "Hello, <%NAME%>!"},
      {R"(Hello, <%NAME%>!)", ""},  // not a text expression
      {R"("a""b")", "a\"b"},
      {R"("")", ""},  // empty literal: the caller uses the text itself
      {R"("""")", "\""}, {R"("x" "unterminated)", "x"}, {R"("unterminated)", ""}, {"#65 #66", "AB"},
      {"#65&#66", "AB"},
      {"#65#66", ""},  // the second "#" ends the first code and is consumed
      {"#65x\"b\"", "Ab"},  // the character ending the digits is consumed
      {"#321", "A"},  // 321 mod 256
      {"#4294967361", "A"},  // 2^32 + 65: low 8 bits of the 32-bit value
      {"#99999999999999999999", "\xFF"},  // any number of digits
      {"#", ""}, {"#0 \"a\"", std::string("\0a", 2)},
      {"<%A%><%B%>", ""},  // the second tag's "<" is consumed
      {"<%A%> <%B%>", "<%A%><%B%>"}, {"<%A%>&\"x\"", "<%A%>x"},
      {"<%A%>\"x\"", ""},  // the quote after the tag is consumed
      {"\"x\" <%A", "x"},  // unterminated tag
      {"\"x\"<%a>b\"y\"", "xy"},  // "<%a" does not end with "%"
      {"<%>", "<%>"},
      {"\"x\" < \"y\"", "xy"},  // "<" without "%" is skipped
      {"<a", ""}, {"  & ", ""},
      {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(ParseTextExpression(c.input), c.expected) << c.input;
}

TEST(IsWebAddressTest, RecognisesAddressesInAnyCase) {
  for (const char* address :
       {"http://example.invalid/", "HTTP:", "Https://example.invalid/", "mailto:someone@example.invalid"})
    EXPECT_TRUE(IsWebAddress(address)) << address;
  for (const char* text : {"http", "ftp://example.invalid/", "C:\\http:", ""}) EXPECT_FALSE(IsWebAddress(text)) << text;
}

class SubstitutionTest : public ::testing::Test {
 protected:
  std::vector<project::TTaviVariable> variables{
      IntegerVariable("N", 5), TextVariable("NAME", "World"), TextVariable("T", "abc"),
      IntegerVariable("BIG", 21)};
  TextEvaluator evaluator{variables, PlayerFolders{}};
};

TEST_F(SubstitutionTest, EvaluateTextUsesTheTextExpressionOrTheTextAsWritten) {
  const Case<const char*> cases[] = {
      {"", ""}, {R"("Hello, "&<%NAME%>&"!")", "Hello, World!"}, {"Hello, <%name%>!", "Hello, World!"},
      {R"("")", R"("")"},  // an empty literal leaves the two quote characters
      {R"("a""b")", "a\"b"},
      {"<%N%><%NAME%>", "5World"},  // not a text expression, both tags replaced
      {"x <%NOPE%>", "x <%NOPE%>"},  // unknown tags stay in text parameters
      {"<%n%>+<%N%>", "55"},  // "+" is consumed after the first tag: a text expression
      {"<%n%> + <%N%>", "5 + 5"},
  };
  for (const auto& c : cases) EXPECT_EQ(evaluator.EvaluateText(c.input), c.expected) << c.input;
}

TEST_F(SubstitutionTest, EvaluateIntegerConvertsOnlyIntegerResults) {
  const Case<int32_t> cases[] = {
      {"", 0},
      {"10/4", 0},  // 2.5 is not an integer text
      {"10/5", 2}, {"<%BIG%> * 2", 42}, {"<%N%> + <%BIG%> - <%n%>", 21}, {"-3", -3},
      {"1 <", 0},  // compile error
      {"1 < 2", 0},  // "True" is not an integer
      {"2^40", 0},  // "1.099511628E012"
      {"3000000000", 0},  // beyond 32 bits
      {"x + 1", 0},  // NAN
      {"<%NOPE%>", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(evaluator.EvaluateInteger(c.input), c.expected) << c.input;
}

TEST_F(SubstitutionTest, EvaluateConditionIsTrueOnlyForTrue) {
  const Case<bool> cases[] = {
      {"", false},
      {"<%N%> = 5 and <%N%> = 0", true},  // the second tag of an integer variable is 0
      {R"(<%T%> = <%t%>)", true},  // a text variable fills every tag
      {"<%NOPE%> = 0", true},
      {"1", false},  // a numeric result is not true
      {"1 = ", false}, {R"(pos("b", <%T%>) = 2)", true},
      {R"("a" = 'a')", true},  // every double quote becomes an apostrophe
      {R"("""a""" = 'a')", false},  // three apostrophes in a row do not parse
  };
  for (const auto& c : cases) EXPECT_EQ(evaluator.EvaluateCondition(c.input), c.expected) << c.input;
}

TEST(ConditionSubstitutionTest, ShowsWhatTheParserSees) {
  const std::vector<project::TTaviVariable> variables{IntegerVariable("N", 5), TextVariable("T", "abc"),
                                                      IntegerVariable("N", 7)};
  VariableSubstituter substituter;
  std::string out;
  const Case<const char*> cases[] = {
      {"<%N%> > 2 and <%N%> < 9 and <%n%> = 0", "5 > 2 and 7 < 9 and 0 = 0"},
      {R"(<%T%> = "abc")", "'abc' = 'abc'"}, {"<%X%> + <%Y", "0 + <%Y"},
      {"<%<%N%>", "<%5"},  // the innermost opening starts the tag
      {"a %> b", "a %> b"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(substituter.SubstituteForCondition(variables, c.input, out));
    EXPECT_EQ(out, c.expected) << c.input;
  }
}

TEST(ConditionSubstitutionTest, TextValuesCannotCloseTheirQuotes) {
  const std::vector<project::TTaviVariable> variables{
      TextVariable("EVIL", "x' = 'x"), TextVariable("A", "o'brien"), TextVariable("B", "o'brien"),
      TextVariable("HOLDER", "<%INJECT%>"), TextVariable("INJECT", "' or 1=1 or '")};
  TextEvaluator evaluator(variables, PlayerFolders{});
  EXPECT_FALSE(evaluator.EvaluateCondition("<%EVIL%> = 'y'"));
  EXPECT_TRUE(evaluator.EvaluateCondition("<%EVIL%> <> 'y'"));
  EXPECT_TRUE(evaluator.EvaluateCondition("<%A%> = <%B%>"));
  EXPECT_FALSE(evaluator.EvaluateCondition("<%A%> = 'obrien'"));
  // A value holding a tag is inserted as written and never scanned again.
  EXPECT_FALSE(evaluator.EvaluateCondition("<%HOLDER%> = 'q'"));

  VariableSubstituter substituter;
  std::string out;
  ASSERT_TRUE(substituter.SubstituteForCondition(variables, "<%EVIL%>", out));
  EXPECT_EQ(out, std::string("'x") + kConditionApostropheStandIn + " = " + kConditionApostropheStandIn + "x'");
}

TEST(SubstituteVariablesTest, FollowsListOrderAndReadsEachVariableOnce) {
  std::vector<project::TTaviVariable> variables{
      TextVariable("SELF", "x<%SELF%>y"), TextVariable("FIRST", "<%LATER%>"),
      TextVariable("LATER", "later"), TextVariable("EARLIER", "<%SELF%>"),
      TextVariable("SCREEN_WIDTH", "mine"), IntegerVariable("SCREEN_WIDTH", 1024)};
  TextEvaluator evaluator(variables, PlayerFolders{});
  const Case<const char*> cases[] = {
      {"<%SELF%>", "x<%SELF%>y"},  // a value holding its own tag cannot loop
      {"<%SELF%><%SELF%>", "x<%SELF%>yx<%SELF%>y"},
      {"<%FIRST%>", "later"},  // a later variable replaces a tag inserted before it
      {"<%EARLIER%>", "<%SELF%>"},  // an earlier one does not come back
      {"<%SCREEN_WIDTH%>", "mine"},  // the first variable of a name wins
      {"no tags", "no tags"}, {"<%", "<%"}, {"<%LATER%", "<%LATER%"},
  };
  for (const auto& c : cases) EXPECT_EQ(evaluator.SubstituteVariables(c.input), c.expected) << c.input;
}

TEST(SubstituteVariablesTest, StopsAtTheLengthLimit) {
  // Each value doubles the text: 2^24 copies of "xxxxxxxx" would be 128 MiB.
  std::vector<project::TTaviVariable> variables;
  for (int i = 0; i < 24; ++i) {
    const std::string next = "<%V" + std::to_string(i + 1) + "%>";
    variables.push_back(TextVariable("V" + std::to_string(i), next + next));
  }
  variables.push_back(TextVariable("V24", "xxxxxxxx"));
  TextEvaluator evaluator(variables, PlayerFolders{});
  const std::string result = evaluator.SubstituteVariables("<%V0%>");
  EXPECT_LE(result.size(), kMaxSubstitutedLength);
  EXPECT_GT(result.size(), kMaxSubstitutedLength / 4);
  EXPECT_NE(result.find("<%V"), std::string::npos);  // what could not be inserted stays a tag

  std::vector<project::TTaviVariable> wide{TextVariable("W", std::string(1000, 'w'))};
  TextEvaluator wideEvaluator(wide, PlayerFolders{});
  std::string manyTags;
  for (int i = 0; i < 2000; ++i) manyTags += "<%W%>";
  const std::string wideResult = wideEvaluator.SubstituteVariables(manyTags);
  EXPECT_LE(wideResult.size(), kMaxSubstitutedLength);
  EXPECT_EQ(wideResult.substr(0, 1000), std::string(1000, 'w'));
  EXPECT_FALSE(wideEvaluator.EvaluateCondition(manyTags + " = ''"));
}

constexpr platform::Rect kScreen{0, 0, 1024, 768};

TEST(EvaluatePositionTest, PlacesTheAnimationByItsOwnSizeOnTheMonitorGiven) {
  std::vector<project::TTaviVariable> variables;
  CountingRandom random;
  TextEvaluator evaluator(variables, PlayerFolders{}, random.Source());
  project::TTaviEvent animation;
  animation.Width = 100;
  animation.Height = 50;
  animation.PosX = "<%RANDOM_SCREEN_WIDTH%> + 10";
  animation.PosY = "<%random_screen_height%> * 2 + <%RANDOM_SCREEN_HEIGHT%>";
  EXPECT_EQ(evaluator.EvaluatePosition(animation, kScreen), (EvaluatedPosition{10, 3 * 2 + 3}));
  // Four draws: width and height room for x, then for y (answers 0, 1, 2, 3).
  EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{924, 718, 924, 718}));

  // An animation that fills the screen draws nothing and sits at 0; non-integer results are 0.
  random.Ranges.clear();
  animation.Width = 1024;
  animation.Height = 2000;
  animation.PosX = animation.PosY = "";
  EXPECT_EQ(evaluator.EvaluatePosition(animation, kScreen), (EvaluatedPosition{0, 0}));
  EXPECT_TRUE(random.Ranges.empty());
  animation.PosX = "17";
  animation.PosY = "10/4";
  EXPECT_EQ(evaluator.EvaluatePosition(animation, kScreen), (EvaluatedPosition{17, 0}));

  // A monitor right of and below the desktop origin: the draws are offsets from its corner.
  random = CountingRandom{};
  animation.Width = 100;
  animation.Height = 50;
  animation.PosX = "<%RANDOM_SCREEN_WIDTH%>";
  animation.PosY = "<%RANDOM_SCREEN_HEIGHT%>";
  const platform::Rect second{1024, 200, 2304, 1224};
  EXPECT_EQ(evaluator.EvaluatePosition(animation, second), (EvaluatedPosition{1024 + 0, 200 + 3}));
  EXPECT_EQ(random.Ranges, (std::vector<uint32_t>{1180, 974, 1180, 974}));
  // Fixed positions stay where they are, in desktop pixels.
  animation.PosX = "17";
  animation.PosY = "-5";
  EXPECT_EQ(evaluator.EvaluatePosition(animation, second), (EvaluatedPosition{17, -5}));
}

}  // namespace
}  // namespace kpf::script
