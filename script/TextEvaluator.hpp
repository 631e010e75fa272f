#pragma once
// Turns stored action parameters into what actions need: texts, integers, conditions, animation
// start positions and file names. One evaluator serves one player: it reads the player's variable
// list and folders.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.hpp"
#include "project/ProjectRecords.hpp"
#include "project/TTaviVariable.hpp"
#include "script/PathMacros.hpp"
#include "script/RandomRange.hpp"
#include "script/VariableSubstitution.hpp"

namespace kpf::script {

class ExpressionCache;

struct EvaluatedPosition {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const EvaluatedPosition&) const = default;
};

class TextEvaluator {
 public:
  // `variables` must outlive the evaluator (the player's list: project, then system variables).
  explicit TextEvaluator(const std::vector<project::TTaviVariable>& variables,
                         PlayerFolders folders = PlayerFolders::FromEnvironment(),
                         RandomRange random = ProcessRandomRange);
  ~TextEvaluator();
  TextEvaluator(TextEvaluator&&) noexcept;

  PlayerFolders Folders;
  RandomRange Random;
  // Which candidates of ResolveFileName count as files (unset: every existing regular file).
  FileCheck FileFilter;

  // The text expression's text with its tags replaced, or, when the parameter is not a text
  // expression, the parameter itself with its tags replaced.
  std::string EvaluateText(std::string_view text);
  std::string SubstituteVariables(std::string_view text);
  // 0 for an empty text, a failed evaluation or a result that is not an integer text.
  int32_t EvaluateInteger(std::string_view text);
  // True exactly when the expression evaluates to "True"; any failure gives false.
  bool EvaluateCondition(std::string_view text);
  // The start position of an animation: in PosX / PosY, "<%RANDOM_SCREEN_WIDTH%>" and
  // "<%RANDOM_SCREEN_HEIGHT%>" stand for random numbers that keep the animation (by its own size)
  // on `screen` (in desktop pixels); four numbers are drawn, one per replacement step.
  EvaluatedPosition EvaluatePosition(const project::TTaviEvent& animation, const platform::Rect& screen);
  std::string ExpandPathMacros(std::string_view text) const;
  std::string ResolveFileName(std::string_view name) const;

  // Evaluates an already substituted expression the way EvaluateInteger does.
  int32_t IntegerOfExpression(std::string_view expression);

 private:
  std::string WithRandomPlacement(std::string_view text, const platform::Rect& screen, int64_t widthRoom,
                                  int64_t heightRoom);

  const std::vector<project::TTaviVariable>& variables_;
  VariableSubstituter substituter_;
  std::string substituted_;  // reused by EvaluateInteger and EvaluateCondition
  // Parameters run again are not parsed again (results as from a fresh parse).
  std::unique_ptr<ExpressionCache> cache_;
};

}  // namespace kpf::script
