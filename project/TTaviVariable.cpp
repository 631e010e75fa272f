#include "project/TTaviVariable.hpp"

#include "project/ReaderHelpers.hpp"
#include "project/SystemVariables.hpp"

namespace kpf::project {

std::string UpperName(std::string_view name) {
  std::string upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return upper;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

void TTaviVariable::LoadFromStream(ByteReader& reader) {
  ID = reader.readInt32();
  Name = UpperName(ReadShortString(reader));
  uint8_t flags = reader.readByte();
  VarType = flags & 1;
  Kind = (flags >> 1) & 3;
  SysIndex = (flags >> 3) & 3;
  if (VarType == 0)
    Value = reader.readInt32();
  else
    Value = reader.readNulString();
  StoredValue = Value;
  StoredChanged = false;
}

VariantValue TTaviVariable::GetValue() const {
  if (IsSystem() && Host) return Converted(Host->ReadSystemValue(SysIndex, *this));
  return Value;
}

VariantValue TTaviVariable::Converted(const VariantValue& value) const {
  if (IsText()) return value.ToText();
  return value.ToInteger();
}

void TTaviVariable::SetValue(const VariantValue& value) {
  Value = Converted(value);
  if (IsSystem() && SysIndex >= 12 && SysIndex <= 46 && Host)
    Host->SystemValueWritten(SysIndex, *this);
}

std::string TTaviVariable::AsString() const { return GetValue().ToText(); }

int32_t TTaviVariable::AsInteger() const { return GetValue().ToInteger(); }

}  // namespace kpf::project
