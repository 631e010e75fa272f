#include "script/TextEvaluator.hpp"

#include <exception>

#include "project/SystemVariables.hpp"
#include "script/ExpressionCache.hpp"

namespace kpf::script {

namespace {

// Replaces every occurrence of `tag` (matched in any case) by `value`.
std::string ReplacedIgnoringCase(std::string_view text, std::string_view tag,
                                 std::string_view value) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (project::SameText(text.substr(i, tag.size()), tag)) {
      result += value;
      i += tag.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

}  // namespace

TextEvaluator::TextEvaluator(const std::vector<project::TTaviVariable>& variables,
                             PlayerFolders folders, RandomRange random)
    : Folders(std::move(folders)), Random(std::move(random)), variables_(variables),
      cache_(std::make_unique<ExpressionCache>()) {}

TextEvaluator::~TextEvaluator() = default;
TextEvaluator::TextEvaluator(TextEvaluator&&) noexcept = default;

std::string TextEvaluator::EvaluateText(std::string_view text) {
  const std::string& expression = cache_->TextExpression(text);
  return SubstituteVariables(expression.empty() ? text : std::string_view(expression));
}

std::string TextEvaluator::SubstituteVariables(std::string_view text) {
  std::string result;
  substituter_.Substitute(variables_, text, result);
  return result;
}

int32_t TextEvaluator::EvaluateInteger(std::string_view text) {
  try {
    substituter_.Substitute(variables_, text, substituted_);
  } catch (const std::exception&) {
    return 0;
  }
  return IntegerOfExpression(substituted_);
}

int32_t TextEvaluator::IntegerOfExpression(std::string_view expression) {
  if (expression.empty()) return 0;
  try {
    return project::ConvertToInteger(cache_->ResultText(expression, Random));
  } catch (const std::exception&) {
    return 0;  // scripts never see parser errors: a failed number is 0
  }
}

bool TextEvaluator::EvaluateCondition(std::string_view text) {
  try {
    if (!substituter_.SubstituteForCondition(variables_, text, substituted_)) return false;
    if (substituted_.empty()) return false;
    return project::SameText(cache_->ResultText(substituted_, Random), "TRUE");
  } catch (const std::exception&) {
    return false;  // a condition that does not evaluate is false
  }
}

std::string TextEvaluator::WithRandomPlacement(std::string_view text, const platform::Rect& screen,
                                               int64_t widthRoom, int64_t heightRoom) {
  const std::string x = std::to_string(screen.left + RandomBelow(Random, widthRoom));
  std::string placed = ReplacedIgnoringCase(text, "<%RANDOM_SCREEN_WIDTH%>", x);
  const std::string y = std::to_string(screen.top + RandomBelow(Random, heightRoom));
  return ReplacedIgnoringCase(placed, "<%RANDOM_SCREEN_HEIGHT%>", y);
}

EvaluatedPosition TextEvaluator::EvaluatePosition(const project::TTaviEvent& animation,
                                                  const platform::Rect& screen) {
  const int64_t widthRoom = int64_t{screen.width()} - animation.Width;
  const int64_t heightRoom = int64_t{screen.height()} - animation.Height;
  EvaluatedPosition position;
  position.x = EvaluateInteger(WithRandomPlacement(animation.PosX, screen, widthRoom, heightRoom));
  position.y = EvaluateInteger(WithRandomPlacement(animation.PosY, screen, widthRoom, heightRoom));
  return position;
}

std::string TextEvaluator::ExpandPathMacros(std::string_view text) const {
  return script::ExpandPathMacros(Folders, text);
}

std::string TextEvaluator::ResolveFileName(std::string_view name) const {
  return FileFilter ? script::ResolveFileName(Folders, name, FileFilter) : script::ResolveFileName(Folders, name);
}

}  // namespace kpf::script
