#include "script/ExpressionParser.hpp"

#include "script/ParserException.hpp"
#include "script/ResultFormat.hpp"
#include "script/TExpressList.hpp"
#include "script/WordTable.hpp"

#include <type_traits>

namespace kpf::script {

namespace {

bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    return CompareFoldedNames(a, b) == 0;
}

}  // namespace

// Chains hold pointers into their own buffers: growing the list must move them.
static_assert(std::is_nothrow_move_constructible_v<std::vector<TExprRec>>);

TExpressionParser::TExpressionParser(TRandomSource random) : TCustomExpressionParser(std::move(random))
{
    FillWordList();
}

void TExpressionParser::FillWordList()
{
    WordsList.AssignShared(SharedWordTable());
    WordsList.InsertOwned(MakePiConstant());
    WordsList.InsertOwned(MakeRandomFunction(RandomSource));
    WordsList.InsertOwned(MakeRandgFunction(RandomSource));
}

std::string TExpressionParser::CurrentExpressionText() const
{
    if (CurrentIdx < 0 || CurrentIdx >= ExpressionCount())
        return {};
    return Expressions[static_cast<std::size_t>(CurrentIdx)].Text;
}

int TExpressionParser::AddExpression(std::string_view text)
{
    if (text.empty()) {
        CurrentIdx = -1;
        return -1;
    }
    for (std::size_t i = 0; i < Expressions.size(); ++i) {
        if (SameTextIgnoringCase(Expressions[i].Text, text)) {
            CurrentIdx = static_cast<int>(i);
            return CurrentIdx;
        }
    }
    return AppendExpression(text);
}

int TExpressionParser::AppendExpression(std::string_view text)
{
    if (text.empty()) {
        CurrentIdx = -1;
        return -1;
    }
    TExprChain chain = Compile(text);
    Expressions.push_back(TCompiledExpression{std::string(text), std::move(chain)});
    CurrentIdx = ExpressionCount() - 1;
    return CurrentIdx;
}

void TExpressionParser::ClearExpressions()
{
    Expressions.clear();
    CurrentIdx = -1;
}

TExpressionParser::TCompiledExpression& TExpressionParser::Entry(int index)
{
    if (index >= ExpressionCount())
        throw EParserException("Expression index " + std::to_string(index) + " out of range");
    return Expressions[static_cast<std::size_t>(index)];
}

double TExpressionParser::Evaluate(int index)
{
    if (index < 0)
        return DefaultNaN();
    TCompiledExpression& entry = Entry(index);
    CurrentIdx = index;
    return RunChain(entry.Chain);
}

std::string TExpressionParser::EvaluateAsString(int index)
{
    const double value = Evaluate(index);
    const bool boolean = index >= 0 && !Expressions[static_cast<std::size_t>(index)].Chain.empty() &&
                         Expressions[static_cast<std::size_t>(index)].Chain.back().ExprWord->ResultType() ==
                             kResultBoolean;
    return FormatExprResult(value, boolean, DecimalSeparator);
}

void TExpressionParser::ForEachChain(const std::function<void(TExprChain&)>& visit)
{
    for (auto& entry : Expressions)
        visit(entry.Chain);
}

std::string EvaluateToText(std::string_view expression)
{
    TExpressionParser parser;
    return parser.EvaluateAsString(parser.AddExpression(expression));
}

}  // namespace kpf::script
