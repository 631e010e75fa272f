#include "script/VariableSubstitution.hpp"

#include <algorithm>

namespace kpf::script {

namespace {

// True when "<%" + name + "%>" (name compared without regard to case) starts at `position`.
bool TagMatches(std::string_view text, size_t position, std::string_view name) {
  const size_t end = position + 2 + name.size();
  if (end + 2 > text.size() || text[end] != '%' || text[end + 1] != '>') return false;
  return project::SameText(text.substr(position + 2, name.size()), name);
}

void AppendQuoted(std::string& out, std::string_view value) {
  out += '\'';
  const size_t start = out.size();
  out += value;
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\'',
               kConditionApostropheStandIn);
  out += '\'';
}

}  // namespace

void VariableSubstituter::Substitute(const std::vector<project::TTaviVariable>& variables,
                                     std::string_view text, std::string& out) {
  if (text.find("<%") == std::string_view::npos) {
    out.assign(text);
    return;
  }
  text_.assign(text);
  CollectTags();
  for (const auto& variable : variables) {
    if (tags_.empty()) break;
    if (!ReplaceTagsOf(variable)) break;
  }
  out.swap(text_);
}

void VariableSubstituter::CollectTags() {
  tags_.clear();
  for (size_t p = text_.find("<%"); p != std::string::npos; p = text_.find("<%", p + 1))
    tags_.push_back(p);
}

bool VariableSubstituter::ReplaceTagsOf(const project::TTaviVariable& variable) {
  const std::string_view name = variable.Name;
  const size_t tagLength = name.size() + 4;
  bool valueRead = false;
  bool withinLimit = true;
  size_t copied = 0;  // text_ before this index is already in scratch_
  size_t length = text_.size();
  for (size_t position : tags_) {
    if (position < copied || !TagMatches(text_, position, name)) continue;
    if (!valueRead) {
      value_ = variable.AsString();
      valueRead = true;
      scratch_.clear();
    }
    const size_t newLength = length - tagLength + value_.size();
    if (newLength > kMaxSubstitutedLength) {
      withinLimit = false;
      break;
    }
    length = newLength;
    scratch_.append(text_, copied, position - copied);
    scratch_ += value_;
    copied = position + tagLength;
  }
  if (copied == 0) return withinLimit;  // nothing replaced
  scratch_.append(text_, copied);
  text_.swap(scratch_);
  CollectTags();
  return withinLimit;
}

bool VariableSubstituter::SubstituteForCondition(
    const std::vector<project::TTaviVariable>& variables, std::string_view text,
    std::string& out) {
  text_.assign(text);
  std::replace(text_.begin(), text_.end(), '"', '\'');
  usedIntegers_.clear();
  textValues_.clear();
  out.clear();
  size_t done = 0;
  for (;;) {
    const size_t open = text_.find("<%", done);
    if (open == std::string::npos) break;
    const size_t close = text_.find("%>", open + 2);
    if (close == std::string::npos) break;  // a "<%" without "%>" stays as written
    // With nested openings ("<%<%N%>") the tag is the innermost one.
    const size_t innermost = text_.rfind("<%", close - 2);
    out.append(text_, done, innermost - done);
    AppendConditionValue(
        variables, std::string_view(text_).substr(innermost + 2, close - innermost - 2), out);
    if (out.size() > kMaxSubstitutedLength) return false;
    done = close + 2;
  }
  out.append(text_, done);
  return out.size() <= kMaxSubstitutedLength;
}

void VariableSubstituter::AppendConditionValue(
    const std::vector<project::TTaviVariable>& variables, std::string_view name,
    std::string& out) {
  const project::TTaviVariable* variable = ConditionVariable(variables, name);
  if (!variable) {
    out += '0';
  } else if (variable->IsText()) {
    AppendQuoted(out, TextValueOf(*variable));
  } else {
    out += std::to_string(variable->AsInteger());
    usedIntegers_.push_back(variable);
  }
}

const project::TTaviVariable* VariableSubstituter::ConditionVariable(
    const std::vector<project::TTaviVariable>& variables, std::string_view name) {
  for (const auto& variable : variables) {
    if (!project::SameText(variable.Name, name)) continue;
    if (!variable.IsText() &&
        std::find(usedIntegers_.begin(), usedIntegers_.end(), &variable) != usedIntegers_.end())
      continue;
    return &variable;
  }
  return nullptr;
}

const std::string& VariableSubstituter::TextValueOf(const project::TTaviVariable& variable) {
  for (const auto& [owner, value] : textValues_)
    if (owner == &variable) return value;
  textValues_.emplace_back(&variable, variable.AsString());
  return textValues_.back().second;
}

}  // namespace kpf::script
