#pragma once

#include "script/ExprRec.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace kpf::script {

// ResultType values of words.
inline constexpr std::uint8_t kResultNumber = 0;
inline constexpr std::uint8_t kResultBoolean = 1;
inline constexpr std::uint8_t kResultText = 2;
inline constexpr std::uint8_t kResultLeftBracket = 3;
inline constexpr std::uint8_t kResultRightBracket = 4;
inline constexpr std::uint8_t kResultComma = 5;

// The default quiet NaN (sign bit set, bits FFF8000000000000).
double DefaultNaN();

// `text` with the letters A-Z lowered: the form in which words and expression texts are kept.
std::string LowerCase(std::string_view text);

// Copies *Args[0] to Res. Words with this routine are the value words.
void CopyValue(TExprRec& rec);

// One element of an expression: a constant, variable, bracket, separator,
// operator or function. The name is lower-cased on creation.
class TExprWord {
public:
    TExprWord(std::string_view name, TExprFunc routine);
    virtual ~TExprWord() = default;
    TExprWord(const TExprWord&) = delete;
    TExprWord& operator=(const TExprWord&) = delete;

    const std::string& Name() const { return WordName; }
    TExprFunc Routine() const { return WordRoutine; }
    bool IsValueWord() const { return WordRoutine == &CopyValue; }

    virtual bool IsOperator() const { return false; }
    virtual std::string_view AsString() const { return {}; }
    virtual bool CanVary() const { return false; }
    virtual std::uint8_t ResultType() const { return kResultNumber; }
    virtual int ArgCount() const { return 0; }
    virtual std::string_view Description() const { return {}; }
    virtual double* ValuePtr() { return nullptr; }
    // Binding strength of operators; smaller binds more tightly.
    virtual int Priority() const { return 0; }

private:
    std::string WordName;
    TExprFunc WordRoutine;
};

class TDoubleConstant : public TExprWord {
public:
    TDoubleConstant(std::string_view name, double value);
    explicit TDoubleConstant(std::string_view name);  // holds the default NaN
    double* ValuePtr() override { return &Value; }

    double Value;
};

class TConstant : public TDoubleConstant {
public:
    TConstant(std::string_view name, double value, std::string_view description);
    std::string_view Description() const override { return ConstDescription; }

private:
    std::string ConstDescription;
};

class TBooleanConstant : public TDoubleConstant {
public:
    using TDoubleConstant::TDoubleConstant;
    std::uint8_t ResultType() const override { return kResultBoolean; }
};

// A name that is not in the dictionary; created with the value NaN.
class TGeneratedVariable : public TDoubleConstant {
public:
    explicit TGeneratedVariable(std::string_view name) : TDoubleConstant(name) {}
    std::string_view AsString() const override { return StringValue; }
    bool CanVary() const override { return true; }
    std::uint8_t ResultType() const override { return VarResultType; }

    std::string StringValue;
    std::uint8_t VarResultType = kResultNumber;
};

// A text in apostrophes; has no numeric value.
class TStringConstant : public TExprWord {
public:
    explicit TStringConstant(std::string_view token);
    std::string_view AsString() const override { return Value; }
    std::uint8_t ResultType() const override { return kResultText; }

    std::string Value;
};

class TLeftBracket : public TExprWord {
public:
    TLeftBracket() : TExprWord("(", nullptr) {}
    std::uint8_t ResultType() const override { return kResultLeftBracket; }
};

class TRightBracket : public TExprWord {
public:
    TRightBracket() : TExprWord(")", nullptr) {}
    std::uint8_t ResultType() const override { return kResultRightBracket; }
};

class TComma : public TExprWord {
public:
    explicit TComma(std::string_view separator) : TExprWord(separator, nullptr) {}
    std::uint8_t ResultType() const override { return kResultComma; }
};

}  // namespace kpf::script
