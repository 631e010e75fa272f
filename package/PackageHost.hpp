#pragma once
// What the package reader and writer need from the player that owns the project: the project
// loader and access to the project variables. The player engine implements it; tests use a
// double.
#include <cstdint>
#include <span>
#include <vector>

#include "package/PackageFormat.hpp"

namespace kpf::package {

class PackageHost {
 public:
  virtual ~PackageHost() = default;

  // Loads the project from one complete zlib stream (the compressed "KPF2" project). The span
  // points into the package buffer and is valid only during the call. Throws on any failure.
  virtual void LoadProject(std::span<const uint8_t> compressedProject) = 0;

  // The package header, with the empty-title rule already applied to Title.
  virtual void SetHeader(const PackageHeader& header) = 0;

  // Sets a project variable's value through its ordinary set-value operation. Kind is
  // kValueInteger (IntValue) or kValueText (Text). An id that no variable has is ignored.
  virtual void ApplyInitialValue(const VariableValueRecord& value) = 0;

  // Current values of the project variables, in list order, whose stored value was changed
  // and that are no system variables (Kind neither 1 nor 2). Kind of each entry is the
  // variable's VarType: kValueInteger or kValueText.
  virtual std::vector<VariableValueRecord> ChangedStoredValues() const = 0;
};

}  // namespace kpf::package
