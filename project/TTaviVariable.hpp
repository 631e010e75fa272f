#pragma once
// One variable of a project: a project variable read from the stream, or a system variable whose
// value is computed (and whose writes act) through a SystemVariableHost.
#include <cstdint>
#include <string>
#include <string_view>

#include "project/ByteReader.hpp"
#include "project/VariantValue.hpp"

namespace kpf::project {

class TTaviVariable;

// Supplies the values of system variables and performs the effects of writing them. The engine
// implements it; without a host a system variable simply reads back its `Value`.
class SystemVariableHost {
 public:
  virtual ~SystemVariableHost() = default;
  virtual VariantValue ReadSystemValue(int sysIndex, const TTaviVariable& variable) = 0;
  virtual void SystemValueWritten(int sysIndex, const TTaviVariable& variable) = 0;
};

class TTaviVariable {
 public:
  int32_t ID = 0;
  std::string Name;  // always upper case
  int32_t SysIndex = 0;
  uint8_t Kind = 0;     // 0 project variable, 1 or 2 system variable
  uint8_t VarType = 0;  // 0 integer, 1 text
  VariantValue Value;
  VariantValue StoredValue;
  bool StoredChanged = false;
  // Not owned; set on the whole list by SetSystemVariableHost.
  SystemVariableHost* Host = nullptr;

  bool IsSystem() const { return Kind == 1 || Kind == 2; }
  bool IsText() const { return VarType == 1; }

  // Reads the stored form: int32 ID, short-string name, flags byte, int32 or NUL-string value.
  void LoadFromStream(ByteReader& reader);
  // System variables ask the host; everything else returns `Value`.
  VariantValue GetValue() const;
  // Converts to the variable's type (EConvertError for an invalid integer text), stores it in
  // `Value` and lets the host act for system codes 12 to 46.
  void SetValue(const VariantValue& value);
  std::string AsString() const;
  int32_t AsInteger() const;

  // `value` converted to this variable's type.
  VariantValue Converted(const VariantValue& value) const;
};

// Upper-cases the ASCII letters of a name (names are compared without regard to case).
std::string UpperName(std::string_view name);
bool SameText(std::string_view a, std::string_view b);

}  // namespace kpf::project
