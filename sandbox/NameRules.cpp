#include "sandbox/NameRules.hpp"

#include <algorithm>
#include <cctype>

namespace kpf::sandbox {

namespace {

bool HasForbiddenBytes(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// Drive letters ("C:"), UNC names ("\\server") and other names from another system.
bool IsForeignName(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':') return true;
  return name.starts_with("\\\\") || name.starts_with("//");
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::vector<std::string> PathComponents(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start < path.size()) {
    size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::string JoinedPath(const std::vector<std::string>& components) {
  if (components.empty()) return "/";
  std::string path;
  for (const std::string& part : components) path += "/" + part;
  return path;
}

std::optional<std::vector<std::string>> AbsoluteComponents(std::string_view name,
                                                           const std::optional<std::vector<std::string>>& base) {
  if (name.empty() || name.size() > kMaxPathBytes || HasForbiddenBytes(name) || IsForeignName(name)) {
    return std::nullopt;
  }
  const bool absolute = IsSeparator(name[0]);
  if (!absolute && !base) return std::nullopt;
  std::vector<std::string> parts = absolute ? std::vector<std::string>() : *base;
  for (const std::string& part : PathComponents(name)) {
    if (part.size() > kMaxComponentBytes) return std::nullopt;
    if (part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

std::optional<std::vector<std::string>> BelowRoot(const std::vector<std::string>& path,
                                                  const std::vector<std::string>& root) {
  if (path.size() <= root.size() || !std::equal(root.begin(), root.end(), path.begin())) return std::nullopt;
  std::vector<std::string> below(path.begin() + static_cast<std::ptrdiff_t>(root.size()), path.end());
  const bool hidden = std::any_of(below.begin(), below.end(), [](const std::string& part) { return part[0] == '.'; });
  if (hidden) return std::nullopt;
  return below;
}

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && SameNameIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace kpf::sandbox
