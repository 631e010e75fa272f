// Every error text of the parser, and hostile input: no text may crash, hang, overflow the stack
// or hit UB.
#include <stdexcept>
#include <string>

#include "ParserTestSupport.hpp"
#include "script/ExprFunction.hpp"

namespace kpf::script::test {
namespace {

TEST(ParserErrors, CompileMessages) {
  // Messages that follow "Error in math expression: ".
  const TTextCase math[] = {
      {"1 2", "1 two space limited variables/constants"}, {"a b", "a two space limited variables/constants"},
      {"'it''s'", "'it' two space limited variables/constants"}, {"1 != 2", "1 two space limited variables/constants"},
      {"x(1)", "x is an unknown function"}, {"()", "Empty brackets ()"}, {"max()", "Empty brackets ()"},
      {"(1)(2)", "Missing operand between )("}, {"(1)2", "Missing operand between ) and constant/variable"},
      {"(1) x", "Missing operand between ) and constant/variable"},
      {"2(1)", "Missing operand between constant/variable and ("},
      {"pi(2)", "Missing operand between constant/variable and ("},
      {"(1,2)", "Syntax error in expression (1,2)"}, {"1,2", "Syntax error in expression 1,2"},
      {"max(1,,2)", "Can not find operand/function"}, {"max(,1)", "Can not find operand/function"},
      {"max(1)", "Syntax error: function or operand has too few arguments"},
      {"1 +", "Syntax error: function or operand has too few arguments"},
      {"sin", "Syntax error: function or operand has too few arguments"},
  };
  for (const auto& c : math)
    EXPECT_EQ(Outcome(c.Expression), std::string("error: Error in math expression: ") + c.Expected) << c.Expression;
  const TTextCase plain[] = {
      {"(1", "Unequal brackets"}, {"1+(2", "Unequal brackets"}, {")", "Unequal brackets"},
      {"max(1,2,3,4,5,6,7)", "Too many arguments"}, {"'a' + 'b'", "+ is not a valid string operand"},
      {"'a' and 'b'", "and is not a valid string operand"},
      {"1e", "'1e' is not a valid floating point value"}, {".", "'.' is not a valid floating point value"},
      {"1e+", "'1e+' is not a valid floating point value"},
      {"$100000000", "'$100000000' is not a valid integer value"},
      {"$1f.5", "'$1f.5' is not a valid integer value"}, {"1e400", "Floating point overflow"},
  };
  for (const auto& c : plain) EXPECT_EQ(Outcome(c.Expression), std::string("error: ") + c.Expected) << c.Expression;
}

TEST(ParserErrors, NumericFaults) {
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
    const std::string expected = std::string("error: ") + c.Expected;
    EXPECT_EQ(Outcome(c.Expression), expected) << c.Expression << " (folded)";
    EXPECT_EQ(Outcome(c.Expression, false), expected) << c.Expression << " (evaluated)";
  }
  EXPECT_EQ(Outcome("(-9223372036854775807-1) mod -1"), "0");
}

TEST(ParserErrors, TooManyArgumentsForAFunctionWord) {
  try {
    TFunction word("f", "", false, 0, 7, nullptr);
    FAIL() << "created";
  } catch (const EParserException& e) {
    EXPECT_STREQ(e.what(), "Too many arguments");
  }
  EXPECT_NO_THROW(TFunction("f", "", false, 0, 6, nullptr));
}

TEST(ParserErrors, ReplaceWordNeedsEqualArgumentCounts) {
  TExpressionParser parser;
  parser.AddExpression("sin(1) + x");
  try {
    parser.ReplaceWord(parser.FindWord("sin"), parser.FindWord("max"));
    FAIL() << "replaced";
  } catch (const EParserException&) {
    FAIL() << "wrong exception class";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Error in math expression: Cannot replace variable/function NFuntionArg doesn't match");
  }
}

std::string Repeat(std::string_view part, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += part;
  return text;
}

TEST(ParserHostile, LengthLimit) {
  const std::string sum = "1" + Repeat("+1", 2047);  // 4095 characters
  EXPECT_EQ(Outcome(sum), "2048");
  EXPECT_EQ(Outcome(sum + " "), "2048");
  EXPECT_EQ(Outcome(sum + "+1"), "error: Error in math expression: expression longer than 4096 characters");
}

TEST(ParserHostile, NestingLimit) {
  EXPECT_EQ(Outcome(Repeat("(", 256) + "1" + Repeat(")", 256)), "1");
  EXPECT_EQ(Outcome(Repeat("-(", 256) + "1" + Repeat(")", 256)), "1");
  EXPECT_EQ(Outcome(Repeat("sin(", 256) + "0" + Repeat(")", 256)), "0");
  const std::string tooDeep = "error: Error in math expression: Brackets nested deeper than 256 levels";
  EXPECT_EQ(Outcome(Repeat("(", 257) + "1" + Repeat(")", 257)), tooDeep);
  EXPECT_EQ(Outcome(Repeat("(", 2000) + Repeat(")", 2000)), tooDeep);
  // Every priority level inside every bracket level.
  EXPECT_EQ(Outcome(Repeat("1or 1=1+1*1^-1!+(", 220) + "1" + Repeat(")", 220)), "True");
}

TEST(ParserHostile, LongRunsStayIterative) {
  EXPECT_EQ(Outcome("1" + Repeat("!", 4000)), "1");
  // "--" is the decrement operator: a run of them has no operand to change.
  EXPECT_TRUE(IsError(Outcome(Repeat("-", 4000) + "1")));
  EXPECT_EQ(Outcome("---1"),
            "error: Error in math expression: Syntax error: function or operand has too few arguments");
  EXPECT_EQ(Outcome(Repeat("not ", 1000) + "1"), "1");
  EXPECT_EQ(Outcome(Repeat("- ", 1001) + "1"), "-1");
  EXPECT_EQ(Outcome(Repeat("2^", 1000) + "1"), "error: Floating point overflow");  // ((2^2)^2)^...
  EXPECT_EQ(Outcome(Repeat("1^", 1000) + "1"), "1");
  EXPECT_EQ(Outcome("x" + Repeat(" := x", 600)), "NAN");
  std::string names = "a0";
  for (int i = 1; i < 600; ++i) names += "+a" + std::to_string(i);
  EXPECT_EQ(Outcome(names), "NAN");
}

TEST(ParserHostile, OperandsAndTextsWithoutPlaceAreRejected) {
  for (const char* expression :
       {"3 ! 4", "1 not 2", "sin(1) pos('a')", "max(1,2) min(3,4)", "2 sin(1)", "1++2", "))((", ")1+1(", "(,)", "(1,)",
        "+", "-", "++", ",", "(", "not", "!", "1 !=", "max", "max 1", "max(1,2", "1 && 2", "1 || 2", "1 == 2",
        // Texts without a numeric use, and text functions whose word list is cut or unbound.
        "'abc'", "'a' + 1", "sin('a')", "'", "'abc", "pos", "pos + 1", "pos('a', 'b', 'c')", "pos(1, 2)",
        "pos('a', 'b' 1)", "pos(('a'))", "1 + pos('a'", ")pos('a','b'", "pos('a')pos('b')", "pos(", "pos('a'"}) {
    const std::string outcome = Outcome(expression);
    EXPECT_TRUE(IsError(outcome)) << expression << " gave " << outcome;
  }
}

TEST(ParserHostile, EveryByteAloneAndInPairs) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    for (const std::string& expression : {one, "1" + one + "2", "(" + one + ")", "max(" + one + ", 1)", "'" + one})
      Outcome(expression);
  }
}

TEST(ParserHostile, TextFunctionNeedsItsExactWordPattern) {
  // A text function takes its words only when "f ( s1 )" or "f ( s1 , s2 )" stands complete;
  // any other words between its brackets are refused before a word is taken.
  for (const char* expression : {"pos('a',)", "pos('a', 1)", "pos('a' + 1)", "pos('a','b',)", "pos('a', ('b'))"})
    EXPECT_EQ(Outcome(expression), "error: Error in math expression: pos expects one or two texts as arguments")
        << expression;
}

TEST(ParserHostile, NumbersAtTheEdges) {
  const TTextCase cases[] = {
      {"1e-400", "0"}, {"$0000000000ff", "255"}, {"$ffffffff", "-1"}, {"1.7976931348623157e308", "1.797693135E308"},
      {"(0-1) ^ 9223372036854775807", "error: Invalid floating point operation"},
      {"9223372036854775807 div 1", "error: Invalid floating point operation"},
      {"-9223372036854775807 div 1", "-9.223372037E018"},
  };
  for (const auto& c : cases) EXPECT_EQ(Outcome(c.Expression), c.Expected) << c.Expression;
}

}  // namespace
}  // namespace kpf::script::test
