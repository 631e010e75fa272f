#pragma once

#include "script/ExprCompiler.hpp"
#include "script/ExprFunction.hpp"
#include "script/ExprRec.hpp"
#include "script/TExpressList.hpp"
#include "script/TOCollection.hpp"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kpf::script {

// Base of the expression parser: the dictionary of named words, the
// constants made while compiling, and the compiler settings. Numbers use "."
// and function arguments are separated by ",".
class TCustomExpressionParser {
public:
    // `random` supplies uniform numbers in [0, 1) to "random" and "randg";
    // without one they use the process-wide generator (SeedProcessRandom).
    explicit TCustomExpressionParser(TRandomSource random = {});
    virtual ~TCustomExpressionParser();
    TCustomExpressionParser(const TCustomExpressionParser&) = delete;
    TCustomExpressionParser& operator=(const TCustomExpressionParser&) = delete;

    // Rewires every compiled chain from oldWord to newWord. Throws
    // std::runtime_error when their argument counts differ.
    virtual void ReplaceWord(TExprWord* oldWord, TExprWord* newWord);
    virtual void FillWordList() = 0;
    virtual std::string CurrentExpressionText() const = 0;
    virtual int AddExpression(std::string_view text) = 0;
    virtual void ClearExpressions() = 0;

    // Adds a word to the dictionary; a word of the same name is replaced in
    // every compiled chain and freed. Returns the inserted word.
    TExprWord* DefineWord(std::unique_ptr<TExprWord> word);
    TExprWord* DefineStringFunction(std::string_view name, std::string_view description, TStringRoutine routine);

    // Looks a named word up (letter case ignored); nullptr when absent.
    TExprWord* FindWord(std::string_view name) const;

    const char HexChar = '$';
    const char DecimalSeparator = '.';
    const char ArgSeparator = ',';
    bool Optimize = true;

protected:
    TExprChain Compile(std::string_view text);
    // Visits every compiled chain (for ReplaceWord).
    virtual void ForEachChain(const std::function<void(TExprChain&)>& visit) = 0;

    TOCollection<TExprWord> ConstantsList{10};
    TExpressList WordsList{30};
    std::shared_ptr<const TRandomSource> RandomSource;
};

}  // namespace kpf::script
