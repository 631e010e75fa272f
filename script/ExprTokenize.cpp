// Compile entry and stage 1: splitting the text into words.
#include "script/ExprCompiler.hpp"

#include "script/ExprMath.hpp"
#include "script/ParserException.hpp"

#include <charconv>
#include <cstdint>

namespace kpf::script {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f'); }
bool IsNameChar(char c) { return IsDigit(c) || c == '_' || (c >= 'a' && c <= 'z'); }
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::size_t SkipWhile(std::string_view text, std::size_t i, bool (*accept)(char))
{
    while (i < text.size() && accept(text[i]))
        ++i;
    return i;
}

[[noreturn]] void RaiseConversionError(std::string_view token, const char* kind)
{
    throw EParserException("'" + std::string(token) + "' is not a valid " + kind + " value");
}

}  // namespace

TExprCompiler::TExprCompiler(TExpressList& words, TOCollection<TExprWord>& constants,
                             const TCompilerSettings& settings)
    : Words(words), Constants(constants), Settings(settings)
{
}

TExprChain TExprCompiler::Compile(std::string_view text)
{
    if (text.size() > kMaxExpressionLength) {
        throw EParserException("Error in math expression: expression longer than " +
                               std::to_string(kMaxExpressionLength) + " characters");
    }
    Text = LowerCase(text);
    Nodes.clear();
    TExprCollection list = Tokenize(Text);
    CheckAndRewrite(list);
    const int root = Build(list, 0, list.Count(), 0);
    CheckArgumentCounts(root);
    if (Settings.Optimize)
        Fold(root);
    TExprChain chain;
    Link(root, chain);
    return chain;
}

TExprCollection TExprCompiler::Tokenize(std::string_view text)
{
    text = Trim(text);
    TExprCollection list;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == ' ') {
            ++pos;
            continue;
        }
        const std::size_t end = ScanToken(text, pos);
        const std::string_view token = Trim(text.substr(pos, end - pos));
        pos = end;
        if (!token.empty())
            list.Add(MakeWord(token));
    }
    return list;
}

// Returns the end of the token that starts at `start`.
std::size_t TExprCompiler::ScanToken(std::string_view text, std::size_t start) const
{
    const char c = text[start];
    const char next = start + 1 < text.size() ? text[start + 1] : '\0';
    const auto numberTail = [&](std::size_t i) {
        if (i < text.size() && text[i] == Settings.DecimalSeparator)
            i = SkipWhile(text, i + 1, IsDigit);
        if (i < text.size() && text[i] == 'e') {
            ++i;
            if (i < text.size() && (text[i] == '+' || text[i] == '-'))
                ++i;
            i = SkipWhile(text, i, IsDigit);
        }
        return i;
    };
    if (c == Settings.HexChar) {
        const std::size_t digitsEnd = SkipWhile(text, start + 1, IsHexDigit);
        return digitsEnd > start + 1 ? numberTail(digitsEnd) : SkipWhile(text, start + 1, IsNameChar);
    }
    if (c == Settings.DecimalSeparator || IsDigit(c))
        return numberTail(SkipWhile(text, start, IsDigit));
    if (c == '\'') {
        const std::size_t close = text.find('\'', start + 1);
        return close == std::string_view::npos ? text.size() : close + 1;
    }
    if (c == '_' || (c >= 'a' && c <= 'z'))
        return SkipWhile(text, start, IsNameChar);
    const bool pair = ((c == '!' || c == ':') && next == '=') || (c == '&' && next == '&') ||
                      (c == '|' && next == '|') ||
                      ((c == '<' || c == '=' || c == '>') && (next == '<' || next == '=' || next == '>')) ||
                      (c == '+' && next == '+' && Words.Find("++") != nullptr) ||
                      (c == '-' && next == '-' && Words.Find("--") != nullptr);
    return start + (pair ? 2 : 1);
}

TExprWord* TExprCompiler::MakeWord(std::string_view token)
{
    const char c = token.front();
    const bool hex = c == Settings.HexChar && token.size() > 1 && IsHexDigit(token[1]);
    if (hex || c == Settings.DecimalSeparator || IsDigit(c))
        return MakeNumber(token);
    if (c == '\'')
        return Constants.Add(std::make_unique<TStringConstant>(token));
    return WordByName(token);
}

TExprWord* TExprCompiler::MakeNumber(std::string_view token)
{
    if (token.front() == Settings.HexChar) {
        const std::string_view digits = token.substr(1);
        std::uint64_t value = 0;
        for (char d : digits) {
            if (!IsHexDigit(d))
                RaiseConversionError(token, "integer");
            value = value * 16 + static_cast<std::uint64_t>(IsDigit(d) ? d - '0' : d - 'a' + 10);
            if (value > 0xFFFFFFFFULL)
                RaiseConversionError(token, "integer");
        }
        // A 32-bit value: $FFFFFFFF reads as -1.
        const auto signedValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        return Constants.Add(std::make_unique<TDoubleConstant>(std::to_string(signedValue), signedValue));
    }
    std::string normalized(token);
    for (char& d : normalized) {
        if (d == Settings.DecimalSeparator)
            d = '.';
    }
    double value = 0.0;
    const char* first = normalized.data();
    const char* last = first + normalized.size();
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ptr != last || (ec != std::errc{} && ec != std::errc::result_out_of_range))
        RaiseConversionError(token, "floating point");
    if (ec == std::errc::result_out_of_range) {
        // Too small a value reads as 0, too large one overflows.
        if (normalized.find("e-") == std::string::npos)
            RaiseMathError(kOverflow);
        value = 0.0;
    }
    return Constants.Add(std::make_unique<TDoubleConstant>(token, value));
}

TExprWord* TExprCompiler::WordByName(std::string_view name)
{
    if (TExprWord* word = Words.Find(name))
        return word;
    return Words.InsertOwned(std::make_unique<TGeneratedVariable>(name));
}

}  // namespace kpf::script
