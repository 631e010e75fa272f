// Stage 3: building the evaluation tree by operator priority.
#include "script/ExprCompiler.hpp"

#include "script/ParserException.hpp"

namespace kpf::script {

namespace {

// Priority nesting adds at most one level per distinct priority inside one
// bracket level; this bound is never reached by texts within the limits.
constexpr int kMaxBuildDepth = (kMaxBracketDepth + 1) * 12;

int BracketStep(const TExprWord* word)
{
    const auto type = word->ResultType();
    return type == kResultLeftBracket ? 1 : type == kResultRightBracket ? -1 : 0;
}

}  // namespace

void TExprCompiler::RaiseSyntaxError() const
{
    throw EParserException(kMathError + "Syntax error in expression " + Text);
}

int TExprCompiler::MatchingBracket(const TExprCollection& list, int open, int end) const
{
    int depth = 0;
    for (int j = open; j < end; ++j) {
        depth += BracketStep(list[j]);
        if (depth == 0)
            return j;
    }
    RaiseSyntaxError();
}

// Builds list[begin, end) into a tree and returns its root node.
int TExprCompiler::Build(const TExprCollection& list, int begin, int end, int depth)
{
    if (depth > kMaxBuildDepth)
        throw EParserException(kMathError + "Expression nested too deeply");
    if (begin >= end)
        throw EParserException(kMathError + "Can not find operand/function");
    while (end - begin >= 2 && list[begin]->ResultType() == kResultLeftBracket &&
           MatchingBracket(list, begin, end) == end - 1) {
        ++begin;
        --end;
    }
    if (end - begin == 1) {
        TExprWord* word = list[begin];
        if (word->Routine() == nullptr)
            RaiseSyntaxError();
        Nodes.push_back(TNode{word, {-1, -1, -1, -1, -1, -1}});
        return static_cast<int>(Nodes.size()) - 1;
    }
    int s = begin;
    int previous = -1;
    for (;;) {
        TNode node;
        int slot = 0;
        if (previous >= 0) {
            node.Args[0] = previous;
            slot = 1;
        }
        // The first word at depth 0 that takes arguments.
        int k = -1;
        for (int j = s, level = 0; j < end && k < 0; ++j) {
            level += BracketStep(list[j]);
            if (level == 0 && list[j]->ArgCount() > 0)
                k = j;
        }
        if (k < 0)
            RaiseSyntaxError();
        node.Word = list[k];
        if (node.Word->IsOperator()) {
            if (k > s) {
                if (slot >= node.Word->ArgCount())
                    RaiseSyntaxError();
                node.Args[static_cast<std::size_t>(slot++)] = Build(list, s, k, depth + 1);
            }
            s = k + 1;
        } else {
            // Words before a function call have no operator to join them.
            if (k > s || previous >= 0)
                RaiseSyntaxError();
            s = BuildFunctionArguments(list, k, end, node, depth);
            slot = kMaxExprArgs;  // no further operand fits a function
        }
        // Right operand: up to the next operator that binds less tightly.
        int m = end;
        for (int j = s, level = 0; j < end; ++j) {
            level += BracketStep(list[j]);
            if (level == 0 && list[j]->ArgCount() > 0 && list[j]->Priority() >= node.Word->Priority()) {
                m = j;
                break;
            }
        }
        if (m > s) {
            if (slot >= node.Word->ArgCount())
                RaiseSyntaxError();
            node.Args[static_cast<std::size_t>(slot++)] = Build(list, s, m, depth + 1);
        }
        Nodes.push_back(node);
        const int index = static_cast<int>(Nodes.size()) - 1;
        if (m == end)
            return index;
        previous = index;
        s = m;
    }
}

// Builds the arguments of the function at nameIndex into node.Args; returns
// the position after its closing bracket.
int TExprCompiler::BuildFunctionArguments(const TExprCollection& list, int nameIndex, int end, TNode& node,
                                          int depth)
{
    const int open = nameIndex + 1;
    if (open >= end || list[open]->ResultType() != kResultLeftBracket)
        throw EParserException(kMathError + "Missing ( after function " + list[nameIndex]->Name());
    const int close = MatchingBracket(list, open, end);
    int slot = 0;
    int partBegin = open + 1;
    for (int j = open + 1, level = 0; j <= close; ++j) {
        const bool atEnd = j == close;
        if (!atEnd)
            level += BracketStep(list[j]);
        if (atEnd || (level == 0 && list[j]->ResultType() == kResultComma)) {
            if (j == partBegin)
                throw EParserException(kMathError + "Can not find operand/function");
            if (slot >= kMaxExprArgs)
                throw EParserException("Too many arguments");
            node.Args[static_cast<std::size_t>(slot++)] = Build(list, partBegin, j, depth + 1);
            partBegin = j + 1;
        }
    }
    return close + 1;
}

void TExprCompiler::CheckArgumentCounts(int root) const
{
    std::vector<int> pending{root};
    while (!pending.empty()) {
        const TNode& node = Nodes[static_cast<std::size_t>(pending.back())];
        pending.pop_back();
        for (int a = 0; a < node.Word->ArgCount(); ++a) {
            const int child = node.Args[static_cast<std::size_t>(a)];
            if (child < 0)
                throw EParserException(kMathError + "Syntax error: function or operand has too few arguments");
            pending.push_back(child);
        }
    }
}

}  // namespace kpf::script
