#include "package/ModelPackageHost.hpp"

#include "package/VariableValues.hpp"

namespace kpf::package {

void ModelPackageHost::LoadProject(std::span<const uint8_t> compressedProject) {
  Model.Clear();
  Header.reset();
  project::LoadProjectStream(compressedProject, Model, options_);
}

void ModelPackageHost::ApplyInitialValue(const VariableValueRecord& value) {
  if (!ApplyVariableValue(Model, value))
    project::ReportProblem(options_.Problems, "initial value of variable " + std::to_string(value.VariableId),
                           "no variable has this id: the value is not applied", false);
}

std::vector<VariableValueRecord> ModelPackageHost::ChangedStoredValues() const {
  return ChangedStoredValueRecords(Model);
}

}  // namespace kpf::package
