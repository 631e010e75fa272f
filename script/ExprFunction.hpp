#pragma once

#include "script/ExprWord.hpp"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace kpf::script {

// Operators (IsOper 1) and functions (IsOper 0, Priority 0).
class TFunction : public TExprWord {
public:
    // Throws EParserException "Too many arguments" when nargs > 6.
    TFunction(std::string_view name, std::string_view description, bool isOper, int priority, int nargs,
              TExprFunc routine);
    bool IsOperator() const override { return IsOper; }
    int ArgCount() const override { return NArgs; }
    std::string_view Description() const override { return FuncDescription; }
    int Priority() const override { return FuncPriority; }

private:
    bool IsOper;
    int FuncPriority;
    int NArgs;
    std::string FuncDescription;
};

class TVaryingFunction : public TFunction {
public:
    using TFunction::TFunction;
    bool CanVary() const override { return true; }
};

class TBooleanFunction : public TFunction {
public:
    using TFunction::TFunction;
    std::uint8_t ResultType() const override { return kResultBoolean; }
};

// Source of uniform numbers in [0, 1) for "random" and "randg".
using TRandomSource = std::function<double()>;

// "random"/"randg": varying functions drawing from the parser's source, or
// from the process-wide generator when the source is empty.
class TRandomFunction : public TVaryingFunction {
public:
    TRandomFunction(std::string_view name, std::string_view description, int nargs, TExprFunc routine,
                    std::shared_ptr<const TRandomSource> source);
    double Uniform() const;

private:
    std::shared_ptr<const TRandomSource> Source;
};

// Text routine: two texts in, a number out.
using TStringRoutine = double (*)(std::string_view, std::string_view);

// A text function, or (once bound to its text arguments while compiling) an
// operand evaluated as StringRoutine(Arg1.AsString, Arg2.AsString).
class TSimpleStringFunction : public TFunction {
public:
    TSimpleStringFunction(std::string_view name, std::string_view description, TStringRoutine routine,
                          TExprWord* arg1 = nullptr, TExprWord* arg2 = nullptr);
    bool CanVary() const override;

    TStringRoutine StringRoutine;
    TExprWord* Arg1;  // not owned; absent on the unbound dictionary word
    TExprWord* Arg2;  // not owned; may be absent
};

class TVaryingStringFunction : public TSimpleStringFunction {
public:
    using TSimpleStringFunction::TSimpleStringFunction;
    bool CanVary() const override { return true; }
};

class TLogicalStringOper : public TSimpleStringFunction {
public:
    using TSimpleStringFunction::TSimpleStringFunction;
    std::uint8_t ResultType() const override { return kResultBoolean; }
};

// Routine of every text function word.
void StringEvaluate(TExprRec& rec);

}  // namespace kpf::script
