#include "script/WordTable.hpp"

#include "script/ExprMath.hpp"
#include "script/TExpressList.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace kpf::script {

namespace {

constexpr double kEpsilon = 1e-30;
constexpr double kPi = 3.141592653589793;

double X(const TExprRec& r) { return *r.Args[0]; }
double Y(const TExprRec& r) { return *r.Args[1]; }
double Z(const TExprRec& r) { return *r.Args[2]; }
double Bool(bool b) { return b ? 1.0 : 0.0; }
double Int(std::int64_t v) { return static_cast<double>(v); }

double Checked(const TExprRec& r, double (*f)(double)) { return CheckResult(X(r), f(X(r))); }

double Logarithm(double x, double (*f)(double))
{
    if (x == 0.0)
        RaiseMathError(kDivisionByZero);
    return CheckResult(x, f(x));
}

std::int64_t IntegerDivide(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        RaiseMathError(kDivisionByZero);
    if (a == INT64_MIN && b == -1)
        RaiseMathError(kIntegerOverflow);
    return a / b;
}

std::int64_t IntegerModulo(std::int64_t a, std::int64_t b)
{
    if (b == 0)
        RaiseMathError(kDivisionByZero);
    return b == -1 ? 0 : a % b;
}

double NormalDeviate(const TRandomFunction& word)
{
    // Box-Muller; 1 - u keeps the logarithm's argument in (0, 1].
    const double u1 = 1.0 - word.Uniform();
    const double u2 = word.Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
}

void RandomRoutine(TExprRec& r) { r.Res = static_cast<const TRandomFunction&>(*r.ExprWord).Uniform(); }
void RandgRoutine(TExprRec& r)
{
    const double deviate = NormalDeviate(static_cast<const TRandomFunction&>(*r.ExprWord));
    r.Res = CheckResult(X(r), Y(r), X(r) + Y(r) * deviate);
}

struct TOperatorDef {
    const char* Name;
    int Priority;
    int NArgs;
    TExprFunc Routine;
    bool Boolean;
};

struct TFunctionDef {
    const char* Name;
    int NArgs;
    TExprFunc Routine;
    const char* Description;
};

// Operators; smaller priority binds more tightly.
const TOperatorDef kOperators[] = {
    {"!", 10, 1, [](TExprRec& r) { r.Res = Factorial(X(r)); }, false},
    {"++", 5, 1, [](TExprRec& r) { r.Res = *r.Args[0] += 1.0; }, false},
    {"--", 5, 1, [](TExprRec& r) { r.Res = *r.Args[0] -= 1.0; }, false},
    {"%", 10, 1, [](TExprRec& r) { r.Res = X(r) * 0.01; }, false},
    {"-@", 10, 1, [](TExprRec& r) { r.Res = -X(r); }, false},
    {"+@", 10, 1, [](TExprRec& r) { r.Res = X(r); }, false},
    {"^", 20, 2, [](TExprRec& r) { r.Res = Power(X(r), Y(r)); }, false},
    {"^@", 20, 2, [](TExprRec& r) { r.Res = IntPower(X(r), RoundToInt64(Y(r))); }, false},
    {"*", 30, 2, [](TExprRec& r) { r.Res = CheckResult(X(r), Y(r), X(r) * Y(r)); }, false},
    {"/", 30, 2, [](TExprRec& r) { r.Res = CheckedDivide(X(r), Y(r)); }, false},
    {"div", 30, 2, [](TExprRec& r) { r.Res = Int(IntegerDivide(RoundToInt64(X(r)), RoundToInt64(Y(r)))); }, false},
    {"mod", 30, 2, [](TExprRec& r) { r.Res = Int(IntegerModulo(RoundToInt64(X(r)), RoundToInt64(Y(r)))); }, false},
    {"+", 40, 2, [](TExprRec& r) { r.Res = CheckResult(X(r), Y(r), X(r) + Y(r)); }, false},
    {"-", 40, 2, [](TExprRec& r) { r.Res = CheckResult(X(r), Y(r), X(r) - Y(r)); }, false},
    {">", 50, 2, [](TExprRec& r) { r.Res = Bool(X(r) > Y(r)); }, true},
    {">=", 50, 2, [](TExprRec& r) { r.Res = Bool(X(r) + kEpsilon >= Y(r)); }, true},
    {"<=", 50, 2, [](TExprRec& r) { r.Res = Bool(Y(r) + kEpsilon >= X(r)); }, true},
    {"<", 50, 2, [](TExprRec& r) { r.Res = Bool(X(r) < Y(r)); }, true},
    {"<>", 50, 2, [](TExprRec& r) { r.Res = Bool(std::fabs(X(r) - Y(r)) > kEpsilon); }, true},
    {"=", 50, 2, [](TExprRec& r) { r.Res = Bool(std::fabs(X(r) - Y(r)) < kEpsilon); }, true},
    {"in", 10, 2, [](TExprRec& r) { r.Res = Bool(std::fabs(X(r) - Y(r)) < kEpsilon); }, true},
    {"not", 60, 1, [](TExprRec& r) { r.Res = Int((RoundToInt64(X(r)) & 0xFF) ^ 1); }, true},
    {"or", 70, 2, [](TExprRec& r) { r.Res = Int(RoundToInt64(X(r)) | RoundToInt64(Y(r))); }, true},
    {"and", 70, 2, [](TExprRec& r) { r.Res = Int(RoundToInt64(X(r)) & RoundToInt64(Y(r))); }, true},
    {"xor", 70, 2, [](TExprRec& r) { r.Res = Int(RoundToInt64(X(r)) ^ RoundToInt64(Y(r))); }, true},
    {":=", 200, 2, [](TExprRec& r) { r.Res = *r.Args[0] = Y(r); }, false},
};

void PowerRoutine(TExprRec& r) { r.Res = Power(X(r), Y(r)); }
void IntPowerRoutine(TExprRec& r) { r.Res = IntPower(X(r), RoundToInt64(Y(r))); }

const TFunctionDef kFunctions[] = {
    {"exp", 1, [](TExprRec& r) { r.Res = Checked(r, std::exp); }, "the value of e raised to the power of x"},
    {"if", 3, [](TExprRec& r) { r.Res = (RoundToInt64(X(r)) & 0xFF) != 0 ? Y(r) : Z(r); },
     "if x=True(or 1) then y else z"},
    {"sqr", 1, [](TExprRec& r) { r.Res = CheckResult(X(r), X(r) * X(r)); }, "the square of a number (x*x)"},
    {"sqrt", 1, [](TExprRec& r) { r.Res = Checked(r, std::sqrt); }, "the square root of a number"},
    {"abs", 1, [](TExprRec& r) { r.Res = std::fabs(X(r)); }, "absolute value"},
    {"round", 1, [](TExprRec& r) { r.Res = Int(RoundToInt64(X(r))); }, "round to the nearest integer"},
    {"trunc", 1, [](TExprRec& r) { r.Res = std::trunc(X(r)); }, "truncates a real number to an integer"},
    {"ln", 1, [](TExprRec& r) { r.Res = Logarithm(X(r), std::log); }, "natural logarithm of x"},
    {"log10", 1, [](TExprRec& r) { r.Res = Logarithm(X(r), std::log10); }, "logarithm base 10 of x"},
    {"logN", 2, [](TExprRec& r) { r.Res = CheckedDivide(Logarithm(Y(r), std::log), Logarithm(X(r), std::log)); },
     "logarithm base x of y"},
    {"power", 2, &PowerRoutine, "power: x^y"},
    {"pow", 2, &PowerRoutine, "power: x^y"},
    {"intpower", 2, &IntPowerRoutine, "integer power: x^y"},
    {"max", 2, [](TExprRec& r) { r.Res = X(r) >= Y(r) ? X(r) : Y(r); }, "the maximum of both arguments"},
    {"min", 2, [](TExprRec& r) { r.Res = X(r) <= Y(r) ? X(r) : Y(r); }, "the minimum of both arguments"},
    {"sin", 1, [](TExprRec& r) { r.Res = Checked(r, std::sin); }, "sine of an angle in rad"},
    {"cos", 1, [](TExprRec& r) { r.Res = Checked(r, std::cos); }, "cosine of an angle in rad"},
    {"tan", 1, [](TExprRec& r) { r.Res = Checked(r, std::tan); }, "tangent of an angle in rad"},
    {"arcsin", 1, [](TExprRec& r) { r.Res = Checked(r, std::asin); }, "inverse sine in rad"},
    {"arccos", 1, [](TExprRec& r) { r.Res = Checked(r, std::acos); }, "inverse cosine in rad"},
    {"arctan2", 2, [](TExprRec& r) { r.Res = CheckResult(X(r), Y(r), std::atan2(X(r), Y(r))); },
     "inverse tangent (x/y) in rad"},
    {"arctan", 1, [](TExprRec& r) { r.Res = Checked(r, std::atan); }, "inverse tangent (x/y) in rad"},
    {"sinh", 1, [](TExprRec& r) { r.Res = Checked(r, std::sinh); }, "hyperbolic sine of an angle in rad"},
    {"cosh", 1, [](TExprRec& r) { r.Res = Checked(r, std::cosh); }, "hyperbolic sine of an angle in rad"},
    {"tanh", 1, [](TExprRec& r) { r.Res = Checked(r, std::tanh); }, "hyperbolic tangent of an angle in rad"},
    {"arcsinh", 1, [](TExprRec& r) { r.Res = Checked(r, std::asinh); }, "inverse sine in rad"},
    {"arccosh", 1, [](TExprRec& r) { r.Res = Checked(r, std::acosh); }, "inverse hyperbolic cosine in rad"},
    {"arctanh", 1, [](TExprRec& r) { r.Res = Checked(r, std::atanh); }, "inverse hyperbolic tangent in rad"},
    {"degtorad", 1, [](TExprRec& r) { r.Res = CheckResult(X(r), X(r) * kPi / 180.0); },
     "conversion of degrees to radians"},
    {"radtodeg", 1, [](TExprRec& r) { r.Res = CheckResult(X(r), X(r) * 180.0 / kPi); },
     "conversion of rad to degrees"},
};

struct TSharedTable {
    std::vector<std::unique_ptr<TExprWord>> Words;
    std::vector<TExprWord*> Sorted;

    TSharedTable()
    {
        Words.push_back(std::make_unique<TLeftBracket>());
        Words.push_back(std::make_unique<TRightBracket>());
        Words.push_back(std::make_unique<TComma>(","));
        for (const auto& op : kOperators) {
            if (op.Boolean)
                Words.push_back(std::make_unique<TBooleanFunction>(op.Name, "", true, op.Priority, op.NArgs, op.Routine));
            else
                Words.push_back(std::make_unique<TFunction>(op.Name, "", true, op.Priority, op.NArgs, op.Routine));
        }
        for (const auto& fn : kFunctions)
            Words.push_back(std::make_unique<TFunction>(fn.Name, fn.Description, false, 0, fn.NArgs, fn.Routine));
        Words.push_back(std::make_unique<TSimpleStringFunction>("pos", "Position in of substring in string", &PosRoutine));

        for (const auto& word : Words)
            Sorted.push_back(word.get());
        std::sort(Sorted.begin(), Sorted.end(), [](const TExprWord* a, const TExprWord* b) {
            return CompareFoldedNames(a->Name(), b->Name()) < 0;
        });
    }
};

}  // namespace

std::span<TExprWord* const> SharedWordTable()
{
    static const TSharedTable table;
    return table.Sorted;
}

std::unique_ptr<TExprWord> MakePiConstant()
{
    return std::make_unique<TConstant>("pi", kPi, "pi = 3.1415926535897932385");
}

std::unique_ptr<TExprWord> MakeRandomFunction(std::shared_ptr<const TRandomSource> source)
{
    return std::make_unique<TRandomFunction>("random", "random number between 0 and 1", 0, &RandomRoutine,
                                             std::move(source));
}

std::unique_ptr<TExprWord> MakeRandgFunction(std::shared_ptr<const TRandomSource> source)
{
    return std::make_unique<TRandomFunction>("randg", "draw from normal distrib. (mean=x, sd =y)", 2, &RandgRoutine,
                                             std::move(source));
}

double PosRoutine(std::string_view substring, std::string_view text)
{
    if (substring.empty())
        return 0.0;
    const auto position = text.find(substring);
    return position == std::string_view::npos ? 0.0 : static_cast<double>(position + 1);
}

}  // namespace kpf::script
