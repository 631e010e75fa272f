#pragma once

#include <cstdint>

namespace kpf::script {

// Numeric helpers of the evaluation routines. Faults raise EParserException
// with the platform-style texts below instead of trapping.
inline constexpr const char* kDivisionByZero = "Division by zero";
inline constexpr const char* kInvalidOperation = "Invalid floating point operation";
inline constexpr const char* kOverflow = "Floating point overflow";
inline constexpr const char* kIntegerOverflow = "Integer overflow";

[[noreturn]] void RaiseMathError(const char* message);

// Round half to even into a 64-bit integer; NaN, infinities and values
// outside the int64 range are an invalid operation.
std::int64_t RoundToInt64(double x);

// NaN from non-NaN inputs is an invalid operation; an infinity from finite
// inputs is an overflow. NaN inputs pass through quietly.
double CheckResult(double x, double result);
double CheckResult(double x, double y, double result);

double CheckedDivide(double x, double y);

// x to the integer power n by squaring (at most 64 steps); 1/x^-n for n < 0.
double IntPower(double x, std::int64_t n);

// "^": 1 if y = 0; 0 if x = 0 and y > 0; integer power for integral y with
// |y| <= 2147483647; else exp(y * ln x).
double Power(double x, double y);

// Product 2*3*...*Round(x); 1 for Round(x) <= 1; above 170 an overflow.
double Factorial(double x);

}  // namespace kpf::script
