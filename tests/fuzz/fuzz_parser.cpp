// Compiles and evaluates any input as an expression; only parser errors may
// come back.
#include "script/ExpressionParser.hpp"
#include "script/ParserException.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        kpf::script::TExpressionParser parser([] { return 0.5; });
        const int index = parser.AddExpression(text);
        parser.EvaluateAsString(index);
        parser.EvaluateAsString(index);  // in-place operators run twice
    } catch (const kpf::script::EParserException&) {
    }
    try {
        kpf::script::TExpressionParser plain([] { return 0.5; });
        plain.Optimize = false;
        plain.EvaluateAsString(plain.AddExpression(text));
    } catch (const kpf::script::EParserException&) {
    }
    return 0;
}
