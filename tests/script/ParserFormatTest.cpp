// Result texts.
#include "ParserTestSupport.hpp"

#include "script/ResultFormat.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kpf::script::test {
namespace {

TEST(ParserFormat, GeneralNumberFormat)
{
    const struct {
        double Value;
        const char* Expected;
    } cases[] = {
        {0.5, "0.5"}, {1e9, "1000000000"}, {0.0001, "0.0001"}, {1.5e20, "1.5E020"}, {0.00001, "1E-005"},
        {1e10, "1E010"}, {0.0, "0"}, {-0.0, "0"}, {-2.5, "-2.5"}, {100, "100"}, {1.0 / 3.0, "0.3333333333"},
        {1099511627776.0, "1.099511628E012"}, {123456789012.0, "1.23456789E011"},
        {9999999999.5, "1E010"},  // rounding to 10 digits moves the exponent
        {1e300, "1E300"}, {1e-300, "1E-300"}, {-1e-5, "-1E-005"}, {0.1 + 0.2, "0.3"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"}, {-std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"}, {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatGeneral10(c.Value), c.Expected) << c.Value;
}

TEST(ParserFormat, BooleanBands)
{
    EXPECT_EQ(FormatExprResult(0.0, true), "False");
    EXPECT_EQ(FormatExprResult(-0.05, true), "False");
    EXPECT_EQ(FormatExprResult(0.95, true), "True");
    EXPECT_EQ(FormatExprResult(1.0, true), "True");
    EXPECT_EQ(FormatExprResult(0.5, true), "0.5");
    EXPECT_EQ(FormatExprResult(2.0, true), "2");
    EXPECT_EQ(FormatExprResult(1.0, false), "1");
}

TEST(ParserFormat, ExpressionResults)
{
    const TTextCase cases[] = {
        {"1 < 2", "True"}, {"1 > 2", "False"},
        {"6 and 3", "2"},  // boolean word, value outside both bands
        {"if(1, 5, 6)", "5"}, {"1/3", "0.3333333333"}, {"2^40", "1.099511628E012"}, {"x + 1", "NAN"},
        {"x = x", "False"}, {"$ff + 1", "256"}, {"not 0", "True"}, {"1 = 1", "True"}, {"-0.5", "-0.5"},
        {"1e10", "1E010"}, {"2+3*4", "14"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextOf(c.Expression), c.Expected) << c.Expression;
}

}  // namespace
}  // namespace kpf::script::test
