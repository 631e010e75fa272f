#pragma once

#include "script/CustomExpressionParser.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace kpf::script {

// The expression parser: compiles texts once (letter case ignored when the
// same text is added again) and evaluates their chains without allocating.
//
//   TExpressionParser parser;
//   const int index = parser.AddExpression("(x + 1) * 2");
//   std::string text = parser.EvaluateAsString(index);
//
// Compile and evaluation faults throw EParserException.
class TExpressionParser : public TCustomExpressionParser {
public:
    explicit TExpressionParser(TRandomSource random = {});

    void FillWordList() override;
    std::string CurrentExpressionText() const override;
    // -1 for an empty text; the existing index for a known text.
    int AddExpression(std::string_view text) override;
    void ClearExpressions() override;
    // Compiles `text` as a new expression without looking for a known one (AddExpression would
    // return a known text that differs only in letter case); -1 for an empty text.
    int AppendExpression(std::string_view text);

    // NaN for a negative index; throws for an index past the list.
    double Evaluate(int index);
    // "True"/"False" for boolean results, else the general number text.
    std::string EvaluateAsString(int index);

    int CurrentIndex() const { return CurrentIdx; }
    int ExpressionCount() const { return static_cast<int>(Expressions.size()); }

protected:
    void ForEachChain(const std::function<void(TExprChain&)>& visit) override;

private:
    struct TCompiledExpression {
        std::string Text;
        TExprChain Chain;
    };

    TCompiledExpression& Entry(int index);

    std::vector<TCompiledExpression> Expressions;
    int CurrentIdx = -1;
};

// Compiles and evaluates one expression with a fresh parser; returns the
// result text ("NAN" for an empty text). Throws EParserException on errors.
std::string EvaluateToText(std::string_view expression);

}  // namespace kpf::script
