#include "tools/kpftool/CharacterLoad.hpp"

#include <exception>
#include <optional>

#include "package/PackageFormat.hpp"
#include "package/PackageReader.hpp"

namespace kpf::tools {

namespace {

project::LoadOptions ReportingInto(std::vector<project::LoadProblem>& problems) {
  project::LoadOptions options;
  options.Problems = [&problems](const project::LoadProblem& problem) { problems.push_back(problem); };
  return options;
}

}  // namespace

LoadedCharacter::LoadedCharacter() : host(ReportingInto(problems)) {}

void LoadCharacter(std::span<const uint8_t> file, LoadedCharacter& loaded) {
  const std::optional<package::PackageLayout> layout = package::ParsePackage(file);
  if (!layout) {
    try {
      loaded.host.LoadProject(file);
      loaded.projectLoaded = true;
    } catch (const std::exception& loadError) {
      loaded.error = loadError.what();
    }
    return;
  }
  loaded.package = true;
  if (layout->Header) loaded.storedTitle = layout->Header->Title;
  for (const auto& record : layout->Records) {
    size_t size = record.Tag == package::kTagNamedFile ? record.Content.size() : record.Data.size();
    loaded.resources.push_back({record.Tag, record.FileName, size});
  }
  const package::PackageReadResult result = package::ApplyPackage(*layout, loaded.host, loaded.host.Options().Problems);
  loaded.projectLoaded = result.ProjectLoaded;
  loaded.error = result.Error;
  // Damage behind the project block: the player keeps the project and loses what follows.
  if (result.ProjectLoaded && !result.Error.empty()) {
    const std::string lost = result.HeaderApplied ? "the records after it are not read" : "the header and every record are lost";
    loaded.problems.push_back({"package", result.Error + ": " + lost, true});
  }
}

}  // namespace kpf::tools
