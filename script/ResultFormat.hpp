#pragma once

#include <string>

namespace kpf::script {

// Result text of an expression: for boolean results "False" (-0.1 < v < 0.1)
// or "True" (0.9 < v < 1.1); everything else in the "%.10g"-like general
// format: NAN, INF/-INF, fixed notation for decimal exponents -3..10, else
// d.dddE[-]xxx with at least three exponent digits.
std::string FormatExprResult(double value, bool isBoolean, char decimalSeparator = '.');

// The general number format alone.
std::string FormatGeneral10(double value, char decimalSeparator = '.');

}  // namespace kpf::script
