#pragma once

#include "script/ExprRec.hpp"
#include "script/ExprWord.hpp"
#include "script/TExpressList.hpp"
#include "script/TOCollection.hpp"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::script {

// Word list of one expression (does not own the words).
using TExprCollection = TNoOwnerCollection<TExprWord>;

// Start of the compiler's error messages.
inline const std::string kMathError = "Error in math expression: ";

// Hostile-input bounds: longer or deeper texts are rejected with a message.
inline constexpr std::size_t kMaxExpressionLength = 4096;
inline constexpr int kMaxBracketDepth = 256;

// Settings the compiler reads from its parser.
struct TCompilerSettings {
    char HexChar = '$';
    char DecimalSeparator = '.';
    char ArgSeparator = ',';
    bool Optimize = true;
};

// Turns one expression text into a chain of evaluation records in five
// stages: tokenize, check and rewrite, build the tree by priority, fold
// constant parts, flatten. New names go into the parser's dictionary, new
// constants into its constants list, where they stay after errors too.
class TExprCompiler {
public:
    TExprCompiler(TExpressList& words, TOCollection<TExprWord>& constants, const TCompilerSettings& settings);

    TExprChain Compile(std::string_view text);

private:
    // Evaluation tree node; Args index into Nodes, -1 when absent.
    struct TNode {
        TExprWord* Word = nullptr;
        std::array<int, kMaxExprArgs> Args{-1, -1, -1, -1, -1, -1};
    };

    // ExprTokenize.cpp
    TExprCollection Tokenize(std::string_view text);
    std::size_t ScanToken(std::string_view text, std::size_t start) const;
    TExprWord* MakeWord(std::string_view token);
    TExprWord* MakeNumber(std::string_view token);
    TExprWord* WordByName(std::string_view name);

    // ExprCheck.cpp
    void CheckBrackets(const TExprCollection& list) const;
    void CheckAndRewrite(TExprCollection& list);
    void RewriteSigns(TExprCollection& list, int i);
    void RewriteNegations(TExprCollection& list, int i);
    void CheckNeighbours(TExprCollection& list, int i);
    void RewriteTextOperations(TExprCollection& list);
    bool BindTextFunction(TExprCollection& list, int i);

    // ExprBuild.cpp
    int Build(const TExprCollection& list, int begin, int end, int depth);
    int BuildFunctionArguments(const TExprCollection& list, int nameIndex, int end, TNode& node, int depth);
    int MatchingBracket(const TExprCollection& list, int open, int end) const;
    void CheckArgumentCounts(int root) const;
    [[noreturn]] void RaiseSyntaxError() const;

    // ExprLink.cpp
    void Fold(int root);
    void FoldNode(int index);
    void Link(int root, TExprChain& chain) const;
    std::vector<int> PostOrder(int root) const;

    TExpressList& Words;
    TOCollection<TExprWord>& Constants;
    TCompilerSettings Settings;
    std::string Text;  // the lower-cased text being compiled
    std::vector<TNode> Nodes;
};

}  // namespace kpf::script
