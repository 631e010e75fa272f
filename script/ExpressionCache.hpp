#pragma once
// Keeps what evaluating action parameters compiles, so that a parameter run again is not parsed
// again: text expressions by their text, and parser expressions (after substitution) compiled in
// one parser by their exact text. The results are those of a fresh parse every time:
//   - expressions that assign (":=") change the parser's words, so they always get a fresh
//     parser and are never kept;
//   - texts are kept by their exact text and compiled on their own: the parser's own lookup
//     ignores letter case, but literals do not;
//   - "random" and "randg" draw from the generator given with each evaluation;
//   - compile errors are not kept (the fresh parse throws them again).
// Both stores are bounded; when one is full it starts over.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/ExpressionParser.hpp"
#include "script/RandomRange.hpp"

namespace kpf::script {

class ExpressionCache {
 public:
  static constexpr size_t kMaxExpressions = 64;
  static constexpr size_t kMaxTextExpressions = 64;

  ExpressionCache();
  ExpressionCache(const ExpressionCache&) = delete;
  ExpressionCache& operator=(const ExpressionCache&) = delete;

  // The parser's result text of `expression`, drawing random numbers from `random`; throws on
  // compile and evaluation errors like a fresh parser.
  std::string ResultText(std::string_view expression, const RandomRange& random);
  // ParseTextExpression of `text`.
  const std::string& TextExpression(std::string_view text);

  size_t KeptExpressions() const { return indices_.size(); }

 private:
  // Uniform numbers in [0, 1) from the generator of the running evaluation.
  double Draw() const;
  void StartOver();

  const RandomRange* random_ = nullptr;
  std::unique_ptr<TExpressionParser> parser_;
  std::unordered_map<std::string, int> indices_;
  std::unordered_map<std::string, std::string> textExpressions_;
};

}  // namespace kpf::script
