#include "script/ExprMath.hpp"

#include "script/ParserException.hpp"

#include <cmath>

namespace kpf::script {

void RaiseMathError(const char* message)
{
    throw EParserException(message);
}

std::int64_t RoundToInt64(double x)
{
    const double rounded = std::nearbyint(x);  // default mode: half to even
    // 2^63 is exactly representable; every double below it fits an int64.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
        RaiseMathError(kInvalidOperation);
    return static_cast<std::int64_t>(rounded);
}

double CheckResult(double x, double result)
{
    if (std::isnan(result) && !std::isnan(x))
        RaiseMathError(kInvalidOperation);
    if (std::isinf(result) && std::isfinite(x))
        RaiseMathError(kOverflow);
    return result;
}

double CheckResult(double x, double y, double result)
{
    if (std::isnan(result) && !std::isnan(x) && !std::isnan(y))
        RaiseMathError(kInvalidOperation);
    if (std::isinf(result) && std::isfinite(x) && std::isfinite(y))
        RaiseMathError(kOverflow);
    return result;
}

double CheckedDivide(double x, double y)
{
    if (y == 0.0 && !std::isnan(x))
        RaiseMathError(x == 0.0 ? kInvalidOperation : kDivisionByZero);
    return CheckResult(x, y, x / y);
}

double IntPower(double x, std::int64_t n)
{
    std::uint64_t exponent = n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    if (n < 0 && x == 0.0)
        RaiseMathError(kDivisionByZero);
    // Extended precision keeps intermediate powers of negative exponents
    // from overflowing before the reciprocal is taken.
    long double base = x;
    long double result = 1.0L;
    while (exponent != 0) {
        if ((exponent & 1U) != 0)
            result *= base;
        exponent >>= 1U;
        if (exponent != 0)
            base *= base;
    }
    if (n < 0)
        result = 1.0L / result;
    return CheckResult(x, static_cast<double>(result));
}

double Power(double x, double y)
{
    if (y == 0.0)
        return 1.0;
    if (x == 0.0 && y > 0.0)
        return 0.0;
    if (y == std::trunc(y) && std::fabs(y) <= 2147483647.0)
        return IntPower(x, static_cast<std::int64_t>(y));
    if (x == 0.0 && !std::isnan(y))
        RaiseMathError(kDivisionByZero);  // ln 0
    return CheckResult(x, y, std::exp(y * std::log(x)));
}

double Factorial(double x)
{
    const std::int64_t n = RoundToInt64(x);
    if (n > 170)
        RaiseMathError(kOverflow);
    double product = 1.0;
    for (std::int64_t i = 2; i <= n; ++i)
        product *= static_cast<double>(i);
    return product;
}

}  // namespace kpf::script
