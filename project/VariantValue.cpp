#include "project/VariantValue.hpp"

#include "project/SystemVariables.hpp"

namespace kpf::project {

int32_t VariantValue::ToInteger() const {
  if (auto* text = std::get_if<std::string>(&value_)) return ConvertToInteger(*text);
  return std::get<int32_t>(value_);
}

std::string VariantValue::ToText() const {
  if (auto* text = std::get_if<std::string>(&value_)) return *text;
  return std::to_string(std::get<int32_t>(value_));
}

}  // namespace kpf::project
