#pragma once
// The package part of a source folder (header and resource records) and the lookups the folder
// reader shares: variable ids by name, optional files, stored names of files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "project/ProjectWriter.hpp"
#include "tools/kpftool/JsonFields.hpp"

namespace kpf::tools {

project::PackageHeader ReadPackageHeader(const JsonFields& header);

// The `records` array of project.json, in order (tag-203 values may name project variables).
std::vector<project::PackageRecord> ReadPackageRecords(const JsonFields& top,
                                                       const std::filesystem::path& folder,
                                                       const project::ProjectSource& project);

// Without a `records` array: every plain file directly in resources/ as a named file, sorted.
std::vector<project::PackageRecord> ResourceFolderRecords(const std::filesystem::path& folder);

// Id of a variable by name: the project's variables (the last match), then the system ones.
int32_t VariableIdByName(const project::ProjectSource& project, const std::string& name,
                         const std::string& context);

// The file a member names, or nothing when the member is absent.
std::vector<uint8_t> ReadOptionalFile(const JsonFields& fields, const std::filesystem::path& folder,
                                      std::string_view key);

// The last component of a file reference in the stored (Windows-1252) form.
std::string StoredFileName(const std::string& reference, const std::string& context);

}  // namespace kpf::tools
