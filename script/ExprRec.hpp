#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace kpf::script {

class TExprWord;
struct TExprRec;

// Evaluation routine of a word: reads the record's argument doubles, writes Res.
using TExprFunc = void (*)(TExprRec&);

inline constexpr int kMaxExprArgs = 6;

// One step of a compiled chain. The chain is a std::vector of records run in
// order (the record after this one is the "Next" record); Args point to the
// doubles the routine reads: a value word's Value or an earlier record's Res.
struct TExprRec {
    TExprFunc Oper = nullptr;
    double Res = 0.0;
    TExprWord* ExprWord = nullptr;
    std::array<double*, kMaxExprArgs> Args{};
};

using TExprChain = std::vector<TExprRec>;

// Runs a chain; allocation free. An empty chain yields the default NaN.
double RunChain(TExprChain& chain);

}  // namespace kpf::script
