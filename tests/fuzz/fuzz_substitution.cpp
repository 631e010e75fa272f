// Text parameters as a hostile project could store them: text expressions, tags, conditions and
// integers over variables whose values hold tags, quotes and apostrophes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "project/TTaviVariable.hpp"
#include "script/TextEvaluator.hpp"
#include "script/TextExpression.hpp"

namespace {

kpf::project::TTaviVariable Variable(const char* name, uint8_t type, std::string value) {
  kpf::project::TTaviVariable variable;
  variable.Name = name;
  variable.VarType = type;
  variable.Value = type == 1 ? kpf::project::VariantValue(std::move(value))
                             : kpf::project::VariantValue(static_cast<int32_t>(value.size()));
  return variable;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // The first line holds the values of the variables, the rest is the parameter.
  const size_t newline = input.find('\n');
  const std::string values(input.substr(0, newline == std::string_view::npos ? 0 : newline));
  const std::string_view parameter =
      newline == std::string_view::npos ? input : input.substr(newline + 1);
  const std::vector<kpf::project::TTaviVariable> variables{
      Variable("A", 1, values), Variable("B", 1, values + values), Variable("N", 0, values),
      Variable("A", 0, values)};
  kpf::script::TextEvaluator evaluator(variables, kpf::script::PlayerFolders{},
                                       [](uint32_t range) { return range / 2; });
  (void)kpf::script::ParseTextExpression(parameter);
  const std::string text = evaluator.EvaluateText(parameter);
  if (text.size() > kpf::script::kMaxSubstitutedLength + parameter.size()) __builtin_trap();
  (void)evaluator.EvaluateInteger(parameter);
  (void)evaluator.EvaluateCondition(parameter);
  (void)evaluator.ExpandPathMacros(parameter);
  (void)kpf::script::IsWebAddress(parameter);
  return 0;
}
