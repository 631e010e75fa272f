// Stage 2: checking and rewriting the word list (signs, negations, integer
// powers, neighbour errors) and binding the text operations.
#include "script/ExprCompiler.hpp"

#include "script/ExprFunction.hpp"
#include "script/ParserException.hpp"

#include <cmath>
#include <typeinfo>

namespace kpf::script {

namespace {

bool Is(const TExprWord* word, std::uint8_t resultType) { return word != nullptr && word->ResultType() == resultType; }
bool IsValue(const TExprWord* word) { return word != nullptr && word->IsValueWord(); }
bool Named(const TExprWord* word, std::string_view name) { return word != nullptr && word->Name() == name; }

int CompareTexts(std::string_view a, std::string_view b) { return a.compare(b); }

double TextEqual(std::string_view a, std::string_view b) { return a == b ? 1.0 : 0.0; }
double TextGreater(std::string_view a, std::string_view b) { return CompareTexts(a, b) > 0 ? 1.0 : 0.0; }
double TextLess(std::string_view a, std::string_view b) { return CompareTexts(a, b) < 0 ? 1.0 : 0.0; }
double TextGreaterEqual(std::string_view a, std::string_view b) { return CompareTexts(a, b) >= 0 ? 1.0 : 0.0; }
double TextLessEqual(std::string_view a, std::string_view b) { return CompareTexts(a, b) <= 0 ? 1.0 : 0.0; }
double TextDifferent(std::string_view a, std::string_view b) { return a != b ? 1.0 : 0.0; }

// 1 when `item` equals one of the comma separated items of `list` (exactly,
// spaces kept).
double TextIn(std::string_view item, std::string_view list)
{
    for (;;) {
        const auto comma = list.find(',');
        if (list.substr(0, comma) == item)
            return 1.0;
        if (comma == std::string_view::npos)
            return 0.0;
        list.remove_prefix(comma + 1);
    }
}

TStringRoutine TextOperator(std::string_view name)
{
    struct TEntry {
        std::string_view Name;
        TStringRoutine Routine;
    };
    static constexpr TEntry kTable[] = {
        {"=", &TextEqual},          {">", &TextGreater},    {"<", &TextLess}, {">=", &TextGreaterEqual},
        {"<=", &TextLessEqual},     {"<>", &TextDifferent}, {"in", &TextIn},
    };
    for (const auto& entry : kTable) {
        if (entry.Name == name)
            return entry.Routine;
    }
    return nullptr;
}

}  // namespace

void TExprCompiler::CheckBrackets(const TExprCollection& list) const
{
    int opened = 0;
    int closed = 0;
    for (const TExprWord* word : list) {
        opened += Is(word, kResultLeftBracket) ? 1 : 0;
        closed += Is(word, kResultRightBracket) ? 1 : 0;
    }
    if (opened != closed)
        throw EParserException("Unequal brackets");
    int depth = 0;
    for (const TExprWord* word : list) {
        depth += Is(word, kResultLeftBracket) ? 1 : Is(word, kResultRightBracket) ? -1 : 0;
        if (depth < 0)
            throw EParserException(kMathError + "Missing opening bracket before )");
        if (depth > kMaxBracketDepth) {
            throw EParserException(kMathError + "Brackets nested deeper than " + std::to_string(kMaxBracketDepth) +
                                   " levels");
        }
    }
}

void TExprCompiler::CheckAndRewrite(TExprCollection& list)
{
    CheckBrackets(list);
    for (int i = 0; i < list.Count(); ++i) {
        RewriteSigns(list, i);
        RewriteNegations(list, i);
        // Removing an even run of "not" may leave a sign at i.
        if (i < list.Count())
            RewriteSigns(list, i);
        if (i < list.Count())
            CheckNeighbours(list, i);
    }
    RewriteTextOperations(list);
}

// A run of "+"/"-" where an operand is expected becomes one prefix sign.
void TExprCompiler::RewriteSigns(TExprCollection& list, int i)
{
    const auto isSign = [&](int k) { return Named(list[k], "+") || Named(list[k], "-"); };
    if (!isSign(i))
        return;
    const TExprWord* previous = i > 0 ? list[i - 1] : nullptr;
    const bool expectsOperand = previous == nullptr || Is(previous, kResultComma) ||
                                Is(previous, kResultLeftBracket) ||
                                (previous->IsOperator() && previous->ArgCount() == 2) || Named(previous, "not");
    if (!expectsOperand)
        return;
    int end = i;
    int minusCount = 0;
    while (end < list.Count() && isSign(end)) {
        minusCount += Named(list[end], "-") ? 1 : 0;
        ++end;
    }
    TExprWord* sign = Words.Find(minusCount % 2 == 1 ? "-@" : "+@");
    if (sign == nullptr)
        RaiseSyntaxError();
    list.Replace(i, end - i, sign);
}

// A run of "not" where an operand is expected: even runs vanish, odd runs
// leave a single "not".
void TExprCompiler::RewriteNegations(TExprCollection& list, int i)
{
    if (i >= list.Count() || !Named(list[i], "not"))
        return;
    const TExprWord* previous = i > 0 ? list[i - 1] : nullptr;
    if (!(previous == nullptr || Is(previous, kResultLeftBracket) || Is(previous, kResultComma) ||
          previous->IsOperator()))
        return;
    int end = i;
    while (end < list.Count() && Named(list[end], "not"))
        ++end;
    const int run = end - i;
    if (run % 2 == 0) {
        for (int k = 0; k < run; ++k)
            list.AtDelete(i);
    } else {
        list.Replace(i, run, list[i]);
    }
}

void TExprCompiler::CheckNeighbours(TExprCollection& list, int i)
{
    TExprWord* word = list[i];
    TExprWord* next = i + 1 < list.Count() ? list[i + 1] : nullptr;
    TExprWord* previous = i > 0 ? list[i - 1] : nullptr;
    if (IsValue(word) && IsValue(next))
        throw EParserException(kMathError + word->Name() + " two space limited variables/constants");
    if (dynamic_cast<TGeneratedVariable*>(word) != nullptr && Is(next, kResultLeftBracket))
        throw EParserException(kMathError + word->Name() + " is an unknown function");
    if (Is(word, kResultLeftBracket) && (next == nullptr || Is(next, kResultRightBracket)))
        throw EParserException(kMathError + "Empty brackets ()");
    if (Is(word, kResultRightBracket) && Is(next, kResultLeftBracket))
        throw EParserException(kMathError + "Missing operand between )(");
    if (Is(word, kResultRightBracket) && IsValue(next))
        throw EParserException(kMathError + "Missing operand between ) and constant/variable");
    if (Is(word, kResultLeftBracket) && IsValue(previous))
        throw EParserException(kMathError + "Missing operand between constant/variable and (");
    // "^" before an integer literal becomes the exact integer power "^@".
    if (Named(word, "^") && next != nullptr && typeid(*next) == typeid(TDoubleConstant) &&
        next->Name().find(Settings.DecimalSeparator) == std::string::npos) {
        const double exponent = *next->ValuePtr();
        TExprWord* intPower = Words.Find("^@");
        if (intPower != nullptr && exponent == std::trunc(exponent))
            list[i] = intPower;
    }
}

void TExprCompiler::RewriteTextOperations(TExprCollection& list)
{
    for (int i = list.Count() - 2; i >= 0; --i) {
        if (i >= list.Count() || !Is(list[i], kResultText))
            continue;
        auto* function = i >= 2 ? dynamic_cast<TSimpleStringFunction*>(list[i - 2]) : nullptr;
        if (function != nullptr && function->Arg1 == nullptr) {
            if (BindTextFunction(list, i))
                i -= 1;  // continue at the new word, i - 2
            continue;
        }
        if (i + 2 < list.Count() && Is(list[i + 2], kResultText)) {
            const TExprWord* op = list[i + 1];
            const TStringRoutine routine = TextOperator(op->Name());
            if (routine == nullptr)
                throw EParserException(op->Name() + " is not a valid string operand");
            TExprWord* bound = Constants.Add(
                std::make_unique<TLogicalStringOper>(op->Name(), op->Description(), routine, list[i], list[i + 2]));
            list.Replace(i, 3, bound);
        }
    }
}

// f ( s1 , s2 ) or f ( s1 ) becomes one operand word bound to its texts.
bool TExprCompiler::BindTextFunction(TExprCollection& list, int i)
{
    auto* function = static_cast<TSimpleStringFunction*>(list[i - 2]);
    const int count = list.Count();
    const bool opened = Is(list[i - 1], kResultLeftBracket);
    const bool twoTexts = opened && i + 3 < count && Is(list[i + 1], kResultComma) && Is(list[i + 2], kResultText) &&
                          Is(list[i + 3], kResultRightBracket);
    const bool oneText = opened && i + 1 < count && Is(list[i + 1], kResultRightBracket);
    if (!twoTexts && !oneText)
        throw EParserException(kMathError + function->Name() + " expects one or two texts as arguments");
    TExprWord* second = twoTexts ? list[i + 2] : nullptr;
    std::unique_ptr<TSimpleStringFunction> bound;
    if (function->CanVary()) {
        bound = std::make_unique<TVaryingStringFunction>(function->Name(), function->Description(),
                                                         function->StringRoutine, list[i], second);
    } else {
        bound = std::make_unique<TSimpleStringFunction>(function->Name(), function->Description(),
                                                        function->StringRoutine, list[i], second);
    }
    list.Replace(i - 2, twoTexts ? 6 : 4, Constants.Add(std::move(bound)));
    return true;
}

}  // namespace kpf::script
