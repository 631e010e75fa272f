#pragma once
// The 50 system variables the loader appends after the project variables, the integer-conversion
// rule used wherever a text becomes an integer, and look-ups over a variable list.
#include <cstdint>
#include <string_view>
#include <vector>

#include "project/Errors.hpp"
#include "project/TTaviVariable.hpp"

namespace kpf::project {

// A text that is not a valid integer.
class EConvertError : public KpfError {
 public:
  using KpfError::KpfError;
};

// Empty text, a lone "-" or a text holding anything besides digits and "-" give 0; otherwise the
// text must be a decimal int32 ("1-2" or a value beyond 32 bits raises EConvertError).
int32_t ConvertToInteger(std::string_view text);

struct SystemVariableRow {
  int32_t code;
  const char* name;
  uint8_t kind;
  uint8_t varType;
};
constexpr int32_t kFirstSystemVariableId = 65535;
constexpr size_t kSystemVariableCount = 50;
const SystemVariableRow& SystemVariableAt(size_t position);

// Appends the 50 system variables in table order with IDs 65535, 65536, ...
void RegisterSystemVariables(std::vector<TTaviVariable>& variables,
                             SystemVariableHost* host = nullptr);
void SetSystemVariableHost(std::vector<TTaviVariable>& variables, SystemVariableHost* host);

// First variable with the ID (or null / -1); last variable with the name, without regard to case.
const TTaviVariable* FindVariableById(const std::vector<TTaviVariable>& variables, int32_t id);
TTaviVariable* FindVariableById(std::vector<TTaviVariable>& variables, int32_t id);
int32_t VariablePositionOfId(const std::vector<TTaviVariable>& variables, int32_t id);
const TTaviVariable* FindVariableByName(const std::vector<TTaviVariable>& variables,
                                        std::string_view name);
TTaviVariable* FindVariableByName(std::vector<TTaviVariable>& variables, std::string_view name);

}  // namespace kpf::project
