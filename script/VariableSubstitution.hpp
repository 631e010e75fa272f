#pragma once
// Replacement of "<%NAME%>" tags by variable values, for text parameters and for conditions.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "project/TTaviVariable.hpp"

namespace kpf::script {

// Largest text a substitution produces: a replacement that would pass it is not made, and the
// substitution stops there (values that hold tags of other variables could otherwise multiply).
constexpr size_t kMaxSubstitutedLength = size_t{1} << 20;

// Stands for an apostrophe of a text value inserted into a condition. The parser's text literals
// have no escape, so an apostrophe would close the literal and let the value rewrite the
// condition; this control character stays inside the literal, keeps the value's length (positions
// found by "pos" stay right) and two values with the same text still compare equal.
constexpr char kConditionApostropheStandIn = '\x01';

// Holds the working buffers so that repeated substitutions do not allocate once warmed up.
class VariableSubstituter {
 public:
  // For each variable in list order, while the text still holds "<%": every tag of the variable
  // (any case) is replaced by its AsString, read once for all its occurrences. Each variable makes
  // one pass that continues after what it inserted, so a value holding its own tag stays as
  // written; later variables do see tags inside values inserted before them. Unknown tags stay.
  void Substitute(const std::vector<project::TTaviVariable>& variables, std::string_view text,
                  std::string& out);

  // Condition form: every double quote becomes an apostrophe; each tag (from "<%" to the first
  // "%>" after it; the innermost "<%" when several open before it) becomes the value of the first
  // variable of that name in list order: an integer variable is used for its first tag only (a
  // later tag of that name goes to the next variable of the name, else "0"), a text variable for
  // all of them, quoted in apostrophes. A tag that names no variable becomes "0"; a "<%" with no
  // "%>" after it stays. Inserted values are never scanned again. Returns false when the result
  // would pass kMaxSubstitutedLength.
  bool SubstituteForCondition(const std::vector<project::TTaviVariable>& variables,
                              std::string_view text, std::string& out);

 private:
  // Replaces every tag of `variable` in `text_` found at the positions in `tags_`; false when the
  // length limit stopped it.
  bool ReplaceTagsOf(const project::TTaviVariable& variable);
  void CollectTags();
  void AppendConditionValue(const std::vector<project::TTaviVariable>& variables,
                            std::string_view name, std::string& out);
  const project::TTaviVariable* ConditionVariable(
      const std::vector<project::TTaviVariable>& variables, std::string_view name);
  // A text variable is read once per condition, however many tags name it.
  const std::string& TextValueOf(const project::TTaviVariable& variable);

  std::string text_;
  std::string scratch_;
  std::string value_;
  std::vector<size_t> tags_;
  std::vector<const project::TTaviVariable*> usedIntegers_;
  std::vector<std::pair<const project::TTaviVariable*, std::string>> textValues_;
};

}  // namespace kpf::script
