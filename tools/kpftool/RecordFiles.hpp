#pragma once
// Files a tool writes for the parts of a package: one folder-relative file per blob, and the
// package's resource records as files (extract's source folder, convert's resource folder).
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "package/PackageFormat.hpp"

namespace kpf::tools {

// "0007.png" for index 7 and ".png".
std::string Numbered(size_t index, const char* extension);

// Writes `folder`/`name` inside `dir` and returns the reference "folder/name".
std::string Put(const std::filesystem::path& dir, const std::string& folder, const std::string& name,
                std::span<const uint8_t> bytes);

// Library and named-file records go to `resourceFolder`, records of other tags (and tag-203
// values that do not decode) to `recordFolder`; one reference per record, "" for a decoded
// tag-203 value unless `rawValues` (every value's data kept as stored, for byte-exact round trips).
// The names the package gives are only ever used as one sanitised component.
std::vector<std::string> WriteRecordFiles(const std::filesystem::path& dir, const package::PackageLayout& layout,
                                          const std::string& resourceFolder, const std::string& recordFolder,
                                          bool rawValues = false);

}  // namespace kpf::tools
