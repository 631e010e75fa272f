#include "script/ExpressionCache.hpp"

#include "script/TextExpression.hpp"

namespace kpf::script {
namespace {

constexpr uint32_t kRandomSteps = 1u << 24;

// Uniform numbers in [0, 1) made from integer draws, as the player's parser has always used them.
double UnitDraw(const RandomRange& random) { return static_cast<double>(random(kRandomSteps)) / kRandomSteps; }

// The one evaluation of `expression` by a parser of its own.
std::string FreshResultText(std::string_view expression, const RandomRange& random) {
  TExpressionParser parser([&random] { return UnitDraw(random); });
  return parser.EvaluateAsString(parser.AddExpression(expression));
}

}  // namespace

ExpressionCache::ExpressionCache() { StartOver(); }

double ExpressionCache::Draw() const { return UnitDraw(*random_); }

void ExpressionCache::StartOver() {
  // The parser keeps the names of unknown words it has seen; a new one forgets them.
  parser_ = std::make_unique<TExpressionParser>([this] { return Draw(); });
  indices_.clear();
}

std::string ExpressionCache::ResultText(std::string_view expression, const RandomRange& random) {
  if (expression.empty() || expression.find(":=") != std::string_view::npos) {
    return FreshResultText(expression, random);
  }
  random_ = &random;
  const std::string key(expression);
  auto found = indices_.find(key);
  if (found == indices_.end()) {
    if (indices_.size() >= kMaxExpressions) StartOver();
    // Compiled anew even beside a kept text that differs only in letter case, whose literals may
    // differ; compile errors are thrown before anything is kept.
    found = indices_.emplace(key, parser_->AppendExpression(expression)).first;
  }
  return parser_->EvaluateAsString(found->second);
}

const std::string& ExpressionCache::TextExpression(std::string_view text) {
  const std::string key(text);
  auto found = textExpressions_.find(key);
  if (found != textExpressions_.end()) return found->second;
  if (textExpressions_.size() >= kMaxTextExpressions) textExpressions_.clear();
  return textExpressions_.emplace(key, ParseTextExpression(text)).first->second;
}

}  // namespace kpf::script
