// Text expressions: literals, character codes, tags and what is not a text expression.
#include <gtest/gtest.h>

#include <string>

#include "script/TextExpression.hpp"

namespace kpf::script {
namespace {

struct TextExpressionCase {
  const char* input;
  std::string expected;
};

class ParseTextExpressionTest : public ::testing::TestWithParam<TextExpressionCase> {};

TEST_P(ParseTextExpressionTest, BuildsTheTextOrNothing) {
  EXPECT_EQ(ParseTextExpression(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseTextExpressionTest,
    ::testing::Values(
        TextExpressionCase{R"("Hello, "&<%NAME%>&"!")", "Hello, <%NAME%>!"},
        TextExpressionCase{R"(Hello, <%NAME%>!)", ""},  // not a text expression
        TextExpressionCase{R"("a""b")", "a\"b"},
        TextExpressionCase{R"("")", ""},  // empty literal: the caller uses the text itself
        TextExpressionCase{R"("""")", "\""},
        TextExpressionCase{R"("x" "unterminated)", "x"},
        TextExpressionCase{R"("unterminated)", ""},
        TextExpressionCase{"#65 #66", "AB"},
        TextExpressionCase{"#65&#66", "AB"},
        TextExpressionCase{"#65#66", ""},  // the second "#" ends the first code and is consumed
        TextExpressionCase{"#65x\"b\"", "Ab"},  // the character ending the digits is consumed
        TextExpressionCase{"#321", "A"},  // 321 mod 256
        TextExpressionCase{"#4294967361", "A"},  // 2^32 + 65: low 8 bits of the 32-bit value
        TextExpressionCase{"#99999999999999999999", "\xFF"},  // any number of digits
        TextExpressionCase{"#", ""},
        TextExpressionCase{"#0 \"a\"", std::string("\0a", 2)},
        TextExpressionCase{"<%A%><%B%>", ""},  // the second tag's "<" is consumed
        TextExpressionCase{"<%A%> <%B%>", "<%A%><%B%>"},
        TextExpressionCase{"<%A%>&\"x\"", "<%A%>x"},
        TextExpressionCase{"<%A%>\"x\"", ""},  // the quote after the tag is consumed
        TextExpressionCase{"\"x\" <%A", "x"},  // unterminated tag
        TextExpressionCase{"\"x\"<%a>b\"y\"", "xy"},  // "<%a" does not end with "%"
        TextExpressionCase{"<%>", "<%>"},
        TextExpressionCase{"\"x\" < \"y\"", "xy"},  // "<" without "%" is skipped
        TextExpressionCase{"<a", ""},
        TextExpressionCase{"  & ", ""},
        TextExpressionCase{"", ""}));

TEST(IsWebAddressTest, RecognisesAddressesInAnyCase) {
  EXPECT_TRUE(IsWebAddress("http://example.invalid/"));
  EXPECT_TRUE(IsWebAddress("HTTP:"));
  EXPECT_TRUE(IsWebAddress("Https://example.invalid/"));
  EXPECT_TRUE(IsWebAddress("mailto:someone@example.invalid"));
  EXPECT_FALSE(IsWebAddress("http"));
  EXPECT_FALSE(IsWebAddress("ftp://example.invalid/"));
  EXPECT_FALSE(IsWebAddress("C:\\http:"));
  EXPECT_FALSE(IsWebAddress(""));
}

}  // namespace
}  // namespace kpf::script
