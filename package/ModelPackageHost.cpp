#include "package/ModelPackageHost.hpp"

#include "package/VariableValues.hpp"

namespace kpf::package {

void ModelPackageHost::LoadProject(std::span<const uint8_t> compressedProject) {
  Model.Clear();
  Header.reset();
  project::LoadProjectStream(compressedProject, Model, options_);
}

void ModelPackageHost::ApplyInitialValue(const VariableValueRecord& value) { ApplyVariableValue(Model, value); }

std::vector<VariableValueRecord> ModelPackageHost::ChangedStoredValues() const {
  return ChangedStoredValueRecords(Model);
}

}  // namespace kpf::package
