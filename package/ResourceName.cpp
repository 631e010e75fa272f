#include "package/ResourceName.hpp"

namespace kpf::package {

namespace {

std::string CheckComponent(std::string_view component) {
  if (component.empty()) return "empty path component";
  if (component == "." || component == "..") return "relative path component '" + std::string(component) + "'";
  for (char c : component) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127) return "control character in name";
    if (c == ':') return "drive or stream name";
  }
  return {};
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

ResourceName SplitResourceName(std::string_view name) {
  ResourceName result;
  if (name.empty()) {
    result.Problem = "empty name";
    return result;
  }
  if (IsSeparator(name.front())) {
    result.Problem = "absolute path";
    return result;
  }
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    std::string_view component = name.substr(start, end - start);
    if (std::string problem = CheckComponent(component); !problem.empty()) {
      result.Components.clear();
      result.Problem = problem;
      return result;
    }
    result.Components.emplace_back(component);
    if (end == name.size()) break;
    start = end + 1;
  }
  return result;
}

}  // namespace kpf::package
