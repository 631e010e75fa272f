#include "script/ExprWord.hpp"

#include <bit>
#include <cstdint>

namespace kpf::script {

std::string LowerCase(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

double DefaultNaN()
{
    return std::bit_cast<double>(std::uint64_t{0xFFF8000000000000ULL});
}

void CopyValue(TExprRec& rec)
{
    rec.Res = *rec.Args[0];
}

TExprWord::TExprWord(std::string_view name, TExprFunc routine)
    : WordName(LowerCase(name)), WordRoutine(routine)
{
}

TDoubleConstant::TDoubleConstant(std::string_view name, double value)
    : TExprWord(name, &CopyValue), Value(value)
{
}

TDoubleConstant::TDoubleConstant(std::string_view name) : TDoubleConstant(name, DefaultNaN()) {}

TConstant::TConstant(std::string_view name, double value, std::string_view description)
    : TDoubleConstant(name, value), ConstDescription(description)
{
}

TStringConstant::TStringConstant(std::string_view token) : TExprWord(token, &CopyValue)
{
    const bool quoted = token.size() >= 2 && token.front() == '\'' && token.back() == '\'';
    Value = quoted ? std::string(token.substr(1, token.size() - 2)) : std::string(token);
}

}  // namespace kpf::script
