#include "engine/actions/StreamFiles.hpp"

#include "sandbox/NameRules.hpp"

namespace kpf::engine::actions {

std::string WithStreamFileExtension(std::string_view name) {
  const size_t separator = name.find_last_of("/\\");
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
  const std::string_view extension = hasExtension ? name.substr(dot) : std::string_view();
  if (sandbox::SameNameIgnoringCase(extension, ".KPFDAT") || sandbox::SameNameIgnoringCase(extension, ".XML")) {
    return std::string(name);
  }
  return std::string(name) + ".KPFDAT";
}

}  // namespace kpf::engine::actions
