// Text expressions: literals, character codes, tags and what is not a text expression.
#include <gtest/gtest.h>

#include <string>

#include "script/TextExpression.hpp"

namespace kpf::script {
namespace {

TEST(ParseTextExpressionTest, BuildsTheTextOrNothing) {
  const struct {
    const char* input;
    std::string expected;
  } cases[] = {
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

}  // namespace
}  // namespace kpf::script
