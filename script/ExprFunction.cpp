#include "script/ExprFunction.hpp"

#include "script/ParserException.hpp"
#include "script/ProcessRandom.hpp"

namespace kpf::script {

TFunction::TFunction(std::string_view name, std::string_view description, bool isOper, int priority, int nargs,
                     TExprFunc routine)
    : TExprWord(name, routine), IsOper(isOper), FuncPriority(priority), NArgs(nargs), FuncDescription(description)
{
    if (nargs > kMaxExprArgs)
        throw EParserException("Too many arguments");
}

TRandomFunction::TRandomFunction(std::string_view name, std::string_view description, int nargs,
                                 TExprFunc routine, std::shared_ptr<const TRandomSource> source)
    : TVaryingFunction(name, description, false, 0, nargs, routine), Source(std::move(source))
{
}

double TRandomFunction::Uniform() const
{
    return (Source && *Source) ? (*Source)() : ProcessRandomUniform();
}

TSimpleStringFunction::TSimpleStringFunction(std::string_view name, std::string_view description,
                                             TStringRoutine routine, TExprWord* arg1, TExprWord* arg2)
    : TFunction(name, description, false, 0, 0, &StringEvaluate), StringRoutine(routine), Arg1(arg1), Arg2(arg2)
{
}

bool TSimpleStringFunction::CanVary() const
{
    return (Arg1 != nullptr && Arg1->CanVary()) || (Arg2 != nullptr && Arg2->CanVary());
}

void StringEvaluate(TExprRec& rec)
{
    const auto& word = static_cast<const TSimpleStringFunction&>(*rec.ExprWord);
    const std::string_view second = word.Arg2 != nullptr ? word.Arg2->AsString() : std::string_view{};
    rec.Res = word.StringRoutine(word.Arg1->AsString(), second);
}

}  // namespace kpf::script
