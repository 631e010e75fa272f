#include "tools/kpftool/CharacterLoad.hpp"

#include <exception>
#include <optional>

#include "package/PackageFormat.hpp"
#include "package/PackageReader.hpp"

namespace kpf::tools {

void LoadCharacter(std::span<const uint8_t> file, LoadedCharacter& loaded) {
  const std::optional<package::PackageLayout> layout = package::ParsePackage(file);
  if (!layout) {
    try {
      loaded.host.LoadProject(file);
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
  loaded.error = package::ApplyPackage(*layout, loaded.host).Error;
}

}  // namespace kpf::tools
