#pragma once
// Tag-203 values and project variables: applying an initial value read from a package, and
// collecting the changed stored values a package copy carries. Shared by the player and by the
// tools that load a package the way the player does.
#include <vector>

#include "package/PackageFormat.hpp"
#include "project/ProjectModel.hpp"

namespace kpf::package {

// Sets the variable with the record's id through its ordinary set-value operation; an id that
// no variable has is ignored (false). Throws when the value does not convert to the variable's
// type.
bool ApplyVariableValue(project::ProjectModel& model, const VariableValueRecord& value);

// Current values of the variables, in list order, whose stored value was changed and that are
// no system variables; each entry's kind is the variable's type (integer or text).
std::vector<VariableValueRecord> ChangedStoredValueRecords(const project::ProjectModel& model);

}  // namespace kpf::package
