// Stages 4 and 5: folding constant subtrees and flattening the tree into a
// chain of evaluation records.
#include "script/ExprCompiler.hpp"

#include "script/ExprFunction.hpp"
#include "script/ParserException.hpp"

#include <utility>

namespace kpf::script {

namespace {

double* NumericValueOf(TExprWord* word)
{
    double* value = word->ValuePtr();
    if (value == nullptr)
        throw EParserException(kMathError + "text " + word->Name() + " has no numeric value");
    return value;
}

}  // namespace

double RunChain(TExprChain& chain)
{
    if (chain.empty())
        return DefaultNaN();
    for (TExprRec& rec : chain)
        rec.Oper(rec);
    return chain.back().Res;
}

// Node indices below root in post-order over the evaluated arguments.
std::vector<int> TExprCompiler::PostOrder(int root) const
{
    std::vector<int> order;
    std::vector<std::pair<int, int>> stack{{root, 0}};
    while (!stack.empty()) {
        const int node = stack.back().first;
        const int nextArg = stack.back().second;
        const TNode& current = Nodes[static_cast<std::size_t>(node)];
        if (nextArg < current.Word->ArgCount()) {
            ++stack.back().second;
            stack.emplace_back(current.Args[static_cast<std::size_t>(nextArg)], 0);
        } else {
            order.push_back(node);
            stack.pop_back();
        }
    }
    return order;
}

void TExprCompiler::Fold(int root)
{
    const std::vector<int> order = PostOrder(root);
    std::vector<bool> varies(Nodes.size(), false);
    for (const int n : order) {
        const TNode& node = Nodes[static_cast<std::size_t>(n)];
        bool v = node.Word->CanVary();
        for (int a = 0; a < node.Word->ArgCount(); ++a)
            v = v || varies[static_cast<std::size_t>(node.Args[static_cast<std::size_t>(a)])];
        varies[static_cast<std::size_t>(n)] = v;
    }
    std::vector<int> pending{root};
    while (!pending.empty()) {
        const int n = pending.back();
        pending.pop_back();
        const TNode& node = Nodes[static_cast<std::size_t>(n)];
        if (!varies[static_cast<std::size_t>(n)]) {
            if (!node.Word->IsValueWord())
                FoldNode(n);
            continue;
        }
        for (int a = 0; a < node.Word->ArgCount(); ++a)
            pending.push_back(node.Args[static_cast<std::size_t>(a)]);
    }
}

// Runs the constant subtree at `index` once and replaces it by its result.
void TExprCompiler::FoldNode(int index)
{
    TExprChain chain;
    Link(index, chain);
    const double value = RunChain(chain);
    const bool boolean = chain.back().ExprWord->ResultType() == kResultBoolean;
    std::unique_ptr<TExprWord> constant;
    if (boolean)
        constant = std::make_unique<TBooleanConstant>("", value);
    else
        constant = std::make_unique<TDoubleConstant>("", value);
    TNode& node = Nodes[static_cast<std::size_t>(index)];
    node.Word = Constants.Add(std::move(constant));
    node.Args.fill(-1);
}

void TExprCompiler::Link(int root, TExprChain& chain) const
{
    TExprWord* rootWord = Nodes[static_cast<std::size_t>(root)].Word;
    if (rootWord->IsValueWord()) {
        TExprRec rec;
        rec.Oper = rootWord->Routine();
        rec.ExprWord = rootWord;
        rec.Args[0] = NumericValueOf(rootWord);
        chain.push_back(rec);
        return;
    }
    const std::vector<int> order = PostOrder(root);
    std::vector<int> recordOf(Nodes.size(), -1);
    chain.clear();
    chain.reserve(order.size());  // Args point into the chain: no reallocation
    for (const int n : order) {
        const TNode& node = Nodes[static_cast<std::size_t>(n)];
        TExprWord* word = node.Word;
        if (word->IsValueWord())
            continue;  // read in place by its parent
        const auto* text = dynamic_cast<const TSimpleStringFunction*>(word);
        if (text != nullptr && text->Arg1 == nullptr)
            throw EParserException(kMathError + word->Name() + " expects one or two texts as arguments");
        TExprRec rec;
        rec.Oper = word->Routine();
        rec.ExprWord = word;
        if (rec.Oper == nullptr)
            RaiseSyntaxError();
        for (int a = 0; a < word->ArgCount(); ++a) {
            const int child = node.Args[static_cast<std::size_t>(a)];
            TExprWord* childWord = Nodes[static_cast<std::size_t>(child)].Word;
            rec.Args[static_cast<std::size_t>(a)] =
                childWord->IsValueWord() ? NumericValueOf(childWord)
                                         : &chain[static_cast<std::size_t>(recordOf[static_cast<std::size_t>(child)])].Res;
        }
        recordOf[static_cast<std::size_t>(n)] = static_cast<int>(chain.size());
        chain.push_back(rec);
    }
}

}  // namespace kpf::script
