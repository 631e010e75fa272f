#include "tools/kpftool/RecordFiles.hpp"

#include <cstdio>

#include "tools/kpftool/SourceFiles.hpp"

namespace kpf::tools {

namespace fs = std::filesystem;

std::string Numbered(size_t index, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "%04zu%s", index, extension);
  return name;
}

std::string Put(const fs::path& dir, const std::string& folder, const std::string& name,
                std::span<const uint8_t> bytes) {
  fs::create_directories(dir / folder);
  WriteFileBytes(dir / folder / name, bytes);
  return folder + "/" + name;
}

std::vector<std::string> WriteRecordFiles(const fs::path& dir, const package::PackageLayout& layout,
                                          const std::string& resourceFolder, const std::string& recordFolder,
                                          bool rawValues) {
  std::vector<std::string> names;
  UniqueNames unique;
  for (size_t i = 0; i < layout.Records.size(); ++i) {
    const auto& record = layout.Records[i];
    switch (record.Tag) {
      case package::kTagElampDll:
      case package::kTagNpmodDll:
        names.push_back(Put(dir, resourceFolder, unique.Take(package::LibraryFileName(record.Tag)), record.Data));
        break;
      case package::kTagNamedFile: {
        std::string stored = record.FileName;
        size_t slash = stored.find_last_of("\\/:");
        std::string base = slash == std::string::npos ? stored : stored.substr(slash + 1);
        names.push_back(Put(dir, resourceFolder, unique.Take(SafeFileName(base, Numbered(i, ".bin"))),
                            record.Content));
        break;
      }
      case package::kTagVariableValue:
        names.push_back(record.Value && !rawValues ? "" : Put(dir, recordFolder, Numbered(i, ".bin"), record.Data));
        break;
      default: names.push_back(Put(dir, recordFolder, Numbered(i, ".bin"), record.Data));
    }
  }
  return names;
}

}  // namespace kpf::tools
