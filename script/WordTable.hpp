#pragma once

#include "script/ExprFunction.hpp"

#include <memory>
#include <span>

namespace kpf::script {

// The process-wide table of operators and functions, built once on first use
// and sorted by name. Its words hold no mutable state; parsers reference them.
std::span<TExprWord* const> SharedWordTable();

// Words each parser owns: "pi" (its value can be assigned to), and "random" /
// "randg" bound to the parser's random source.
std::unique_ptr<TExprWord> MakePiConstant();
std::unique_ptr<TExprWord> MakeRandomFunction(std::shared_ptr<const TRandomSource> source);
std::unique_ptr<TExprWord> MakeRandgFunction(std::shared_ptr<const TRandomSource> source);

// Text routine of "pos": 1-based position of the first text within the second.
double PosRoutine(std::string_view substring, std::string_view text);

}  // namespace kpf::script
