// Values and result texts: operators, priorities, functions, texts and number formatting.
#include <limits>
#include <numbers>

#include "ParserTestSupport.hpp"
#include "script/ResultFormat.hpp"

namespace kpf::script::test {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ParserValues, OperatorsAndPriorities) {
  ExpectValues({
      {"2+3*4", 14}, {"(2+3)*4", 20},
      {"2^3^2", 64},  // "^" groups from the left
      {"-2^2", 4},    // prefix minus binds tighter than "^"
      {"2*-3", -6}, {"- - 3", 3}, {"1 - -1", 2}, {"+3", 3}, {"-(2+3)", -5}, {"3 - 2 - 1", 0},
      {"8 / 4 / 2", 1}, {"(1+2)*(3+4)", 21}, {"2 + 3!", 8}, {"1 + 2 = 3", 1}, {"1 = 1 and 2 = 2", 1},
      {"((((7))))", 7},
      // "not": low 8 bits with bit 0 inverted; the sign after a vanished "not" run is still a sign.
      {"not not 1", 1}, {"not not not 1", 0}, {"not 0", 1}, {"not 1", 0}, {"not 2", 3}, {"not 256", 1},
      {"(not not 5)", 5}, {"not not -3", -3},
      {"10 % * 3", 0.3}, {"50%", 0.5}, {"3!", 6}, {"0!", 1}, {"-5!", 1}, {"5!", 120}, {"3!!", 720},
      {"7 div 2", 3}, {"-7 div 2", -3}, {"-7 mod 2", -1}, {"7 mod -2", 1},
      {"2.5 div 1", 2},  // Round half to even
      {"3.5 div 1", 4}, {"6 and 3", 2}, {"6 or 3", 7}, {"6 xor 3", 5},
      {"1e-31 = 0", 1}, {"1e-31 > 0", 1}, {"0.1 + 0.2 = 0.3", 0}, {"1 > 1", 0}, {"1 >= 1", 1}, {"1 <= 1", 1},
      {"1 < 1", 0}, {"1 < 2", 1}, {"2 <> 2", 0}, {"2 <> 3", 1}, {"2 in 2", 1}, {"2 in 3", 0},
      {"2^10", 1024}, {"2^-1", 0.5}, {"4^0.5", 2}, {"0^0", 1}, {"0^2", 0}, {"(-2)^3", -8},
      {"2^1e-5", std::pow(2.0, 1e-5)},  // not an integer literal: real power
      {"1^1e18", 1},                     // integer power by squaring, no long loop
      {"2^-9999999999", 0},
      // Unknown names are NaN; "$" numbers are 32-bit integers.
      {"x + 1", kNaN}, {"$zz", kNaN}, {"$ff + 1", 256}, {"$FFFFFFFF", -1}, {"$80000000", -2147483648.0},
  });
}

TEST(ParserValues, Functions) {
  ExpectValues({
      {"exp(0)", 1}, {"if(1, 5, 6)", 5}, {"if(0, 5, 6)", 6}, {"if(256, 5, 6)", 6}, {"if(257, 5, 6)", 5},
      {"sqr(3)", 9}, {"sqrt(16)", 4}, {"abs(-2)", 2}, {"round(2.5)", 2}, {"round(3.5)", 4}, {"round(-2.5)", -2},
      {"trunc(-2.7)", -2}, {"ln(1)", 0}, {"log10(1000)", 3}, {"logn(2, 8)", 3}, {"power(2, 10)", 1024},
      {"pow(2, 3)", 8}, {"intpower(2, 10)", 1024}, {"intpower(2, -2)", 0.25}, {"max(1, 2)", 2}, {"min(1, 2)", 1},
      {"max(1, 2, 3)", 2}, {"sin(0)", 0}, {"cos(0)", 1}, {"tan(0)", 0}, {"arcsin(1)", kPi / 2}, {"arccos(1)", 0},
      {"arctan2(1, 1)", kPi / 4}, {"arctan2(1, 0)", kPi / 2}, {"arctan(1)", kPi / 4}, {"sinh(0)", 0},
      {"cosh(0)", 1}, {"tanh(0)", 0}, {"arcsinh(0)", 0}, {"arccosh(1)", 0}, {"arctanh(0)", 0},
      {"degtorad(180)", kPi}, {"radtodeg(pi)", 180}, {"pi", 3.141592653589793}, {"max(1, 2) * 3", 6},
      {"sqrt(sqr(3) + sqr(4))", 5}, {"170! > 7e306", 1},
  });
}

TEST(ParserValues, TextsAndResultTexts) {
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
      {"1 < 2", "True"}, {"1 > 2", "False"}, {"not 0", "True"},
      {"6 and 3", "2"},  // boolean word, value outside both bands
      {"if(1, 5, 6)", "5"}, {"1/3", "0.3333333333"}, {"x + 1", "NAN"}, {"x = x", "False"}, {"", "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(Outcome(c.Expression), c.Expected) << c.Expression;
}

TEST(ParserValues, AssignmentAndIncrementWriteInPlace) {
  TExpressionParser parser;
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("x := 3 + 4")), 7);  // ":=" binds loosest
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("x")), 7);
  const int increment = parser.AddExpression("x++");
  EXPECT_EQ(parser.Evaluate(increment), 8);
  EXPECT_EQ(parser.Evaluate(increment), 9);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("--x")), 8);
  EXPECT_EQ(parser.Evaluate(parser.AddExpression("a := b := 3")), 3);
}

TEST(ParserValues, ResultsMatchWithAndWithoutFolding) {
  for (const char* expression : {"2+3*4", "-2^2", "10 % * 3", "if(1 < 2, 7, 8)", "pos('c', 'abc') + 1",
                                 "max(1, 2, 3)", "not not not 1", "2^3^2"}) {
    EXPECT_EQ(Outcome(expression), Outcome(expression, false)) << expression;
  }
}

TEST(ParserFormat, GeneralNumberFormat) {
  const struct {
    double Value;
    const char* Expected;
  } cases[] = {
      {0.5, "0.5"}, {1e9, "1000000000"}, {0.0001, "0.0001"}, {1.5e20, "1.5E020"}, {0.00001, "1E-005"},
      {1e10, "1E010"}, {0.0, "0"}, {-0.0, "0"}, {-2.5, "-2.5"}, {100, "100"}, {1.0 / 3.0, "0.3333333333"},
      {1099511627776.0, "1.099511628E012"}, {123456789012.0, "1.23456789E011"},
      {9999999999.5, "1E010"},  // rounding to 10 digits moves the exponent
      {1e300, "1E300"}, {1e-300, "1E-300"}, {-1e-5, "-1E-005"}, {0.1 + 0.2, "0.3"}, {kNaN, "NAN"}, {-kNaN, "NAN"},
      {std::numeric_limits<double>::infinity(), "INF"}, {-std::numeric_limits<double>::infinity(), "-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGeneral10(c.Value), c.Expected) << c.Value;
  // Boolean results: "False" and "True" only within 0.1 of 0 and 1.
  for (auto [value, text] : {std::pair{0.0, "False"}, {-0.05, "False"}, {0.95, "True"}, {1.0, "True"}, {0.5, "0.5"},
                             {2.0, "2"}})
    EXPECT_EQ(FormatExprResult(value, true), text) << value;
  EXPECT_EQ(FormatExprResult(1.0, false), "1");
}

}  // namespace
}  // namespace kpf::script::test
