#include "package/VariableValues.hpp"

namespace kpf::package {

bool ApplyVariableValue(project::ProjectModel& model, const VariableValueRecord& value) {
  project::TTaviVariable* variable = model.VariableById(value.VariableId);
  if (variable == nullptr) return false;
  if (value.Kind == kValueInteger) {
    variable->SetValue(value.IntValue);
  } else {
    variable->SetValue(value.Text);
  }
  return true;
}

std::vector<VariableValueRecord> ChangedStoredValueRecords(const project::ProjectModel& model) {
  std::vector<VariableValueRecord> values;
  for (const auto& variable : model.Variables) {
    if (!variable.StoredChanged || variable.IsSystem()) continue;
    VariableValueRecord record;
    record.VariableId = variable.ID;
    if (variable.IsText()) {
      record.Kind = kValueText;
      record.Text = variable.Value.ToText();
    } else {
      record.Kind = kValueInteger;
      record.IntValue = variable.Value.ToInteger();
    }
    values.push_back(std::move(record));
  }
  return values;
}

}  // namespace kpf::package
