#pragma once
// A package host that only loads the model: the project, the header and the initial values
// land here exactly as they land in a player, but nothing runs and no file is written. The
// tools use it to show a package the way the player sees it.
#include <optional>

#include "package/PackageHost.hpp"
#include "project/ProjectLoader.hpp"
#include "project/ProjectModel.hpp"

namespace kpf::package {

class ModelPackageHost : public PackageHost {
 public:
  // `options` are handed to every project load (for example the system-variable host).
  explicit ModelPackageHost(project::LoadOptions options = {}) : options_(std::move(options)) {}

  void LoadProject(std::span<const uint8_t> compressedProject) override;
  void SetHeader(const PackageHeader& header) override { Header = header; }
  void ApplyInitialValue(const VariableValueRecord& value) override;
  std::vector<VariableValueRecord> ChangedStoredValues() const override;
  const project::LoadOptions& Options() const { return options_; }

  project::ProjectModel Model;
  // The header as the player keeps it (empty-title rule applied); none before it was read.
  std::optional<PackageHeader> Header;

 private:
  project::LoadOptions options_;
};

}  // namespace kpf::package
