#include "engine/actions/TextOperations.hpp"

#include <algorithm>

#include "project/Errors.hpp"
#include "project/TTaviVariable.hpp"
#include "script/VariableSubstitution.hpp"

namespace kpf::engine::actions {

std::string MidText(std::string_view text, int64_t start, int64_t count) {
  if (start < 1) start = 1;
  if (count <= 0 || start > static_cast<int64_t>(text.size())) return {};
  const auto from = static_cast<size_t>(start - 1);
  return std::string(text.substr(from, static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(text.size() - from)))));
}

std::string LeftText(std::string_view text, int64_t count) { return MidText(text, 1, count); }

std::string RightText(std::string_view text, int64_t count) {
  if (count <= 0) return {};
  const auto n = static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(text.size())));
  return std::string(text.substr(text.size() - n));
}

int32_t FindText(std::string_view part, std::string_view text) {
  if (part.empty()) return 0;
  const size_t at = text.find(part);
  return at == std::string_view::npos ? 0 : static_cast<int32_t>(at + 1);
}

int32_t CompareTexts(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x > y ? 1 : 2;
  }
  if (a.size() == b.size()) return 0;
  return a.size() > b.size() ? 1 : 2;
}

std::string ReplaceText(std::string_view text, std::string_view oldPart, std::string_view newPart) {
  if (oldPart.empty()) return std::string(text);
  std::string out;
  size_t from = 0;
  for (size_t at; (at = text.find(oldPart, from)) != std::string_view::npos; from = at + oldPart.size()) {
    out.append(text.substr(from, at - from));
    // Each part is bounded, but replacing every character of a long text by a long text is not.
    if (newPart.size() > script::kMaxSubstitutedLength - out.size())
      throw project::KpfError("Replaced text too long");
    out.append(newPart);
  }
  out.append(text.substr(from));
  return out;
}

std::string UpperText(std::string_view text) { return project::UpperName(text); }

std::string LowerText(std::string_view text) {
  std::string out(text);
  for (char& c : out) if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace kpf::engine::actions
