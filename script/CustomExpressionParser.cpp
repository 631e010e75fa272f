#include "script/CustomExpressionParser.hpp"

#include "script/ParserException.hpp"

#include <stdexcept>

namespace kpf::script {

TCustomExpressionParser::TCustomExpressionParser(TRandomSource random)
    : RandomSource(std::make_shared<const TRandomSource>(std::move(random)))
{
}

TCustomExpressionParser::~TCustomExpressionParser() = default;

TExprChain TCustomExpressionParser::Compile(std::string_view text)
{
    const TCompilerSettings settings{HexChar, DecimalSeparator, ArgSeparator, Optimize};
    TExprCompiler compiler(WordsList, ConstantsList, settings);
    return compiler.Compile(text);
}

TExprWord* TCustomExpressionParser::FindWord(std::string_view name) const
{
    return WordsList.Find(name);
}

void TCustomExpressionParser::ReplaceWord(TExprWord* oldWord, TExprWord* newWord)
{
    if (oldWord->ArgCount() != newWord->ArgCount()) {
        throw std::runtime_error(
            "Error in math expression: Cannot replace variable/function NFuntionArg doesn't match");
    }
    double* oldValue = oldWord->ValuePtr();
    double* newValue = newWord->ValuePtr();
    // Chains read a value word's number in place; a word without one cannot
    // take its place.
    if ((oldValue != nullptr || oldWord->IsValueWord()) && newValue == nullptr)
        throw EParserException("Error in math expression: Cannot replace a variable by a word without a value");
    if (newWord->IsValueWord() && newValue == nullptr)
        throw EParserException("Error in math expression: Cannot replace a word by a text constant");
    ForEachChain([&](TExprChain& chain) {
        for (TExprRec& rec : chain) {
            if (rec.ExprWord == oldWord) {
                rec.ExprWord = newWord;
                rec.Oper = newWord->Routine();
                if (newWord->IsValueWord())
                    rec.Args[0] = newValue;
            }
            for (double*& arg : rec.Args) {
                if (arg != nullptr && arg == oldValue)
                    arg = newValue;
            }
        }
    });
    // Text operations bound to the old word now read the new one.
    for (const auto& constant : ConstantsList) {
        if (auto* text = dynamic_cast<TSimpleStringFunction*>(constant.get())) {
            if (text->Arg1 == oldWord)
                text->Arg1 = newWord;
            if (text->Arg2 == oldWord)
                text->Arg2 = newWord;
        }
    }
}

TExprWord* TCustomExpressionParser::DefineWord(std::unique_ptr<TExprWord> word)
{
    if (TExprWord* old = WordsList.Find(word->Name())) {
        ReplaceWord(old, word.get());
        WordsList.RemoveAndFree(old);
    }
    return WordsList.InsertOwned(std::move(word));
}

TExprWord* TCustomExpressionParser::DefineStringFunction(std::string_view name, std::string_view description,
                                                         TStringRoutine routine)
{
    return DefineWord(std::make_unique<TSimpleStringFunction>(name, description, routine));
}

}  // namespace kpf::script
