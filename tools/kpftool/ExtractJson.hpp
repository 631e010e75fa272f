#pragma once
// project.json of an extracted source folder: the model as `kpftool info` shows it, extended
// with what `kpftool pack` needs to rebuild the project (file names, raw ids, move parameters,
// stored regions, menu extras, cursors, resource records).
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "package/PackageFormat.hpp"
#include "project/ProjectModel.hpp"

namespace kpf::tools {

// Folder-relative names of the files extract wrote; "" where no file was written.
struct ExtractedNames {
  std::vector<std::string> Images;      // per loaded image
  std::vector<std::string> Sounds;      // per sound
  std::vector<std::string> Dialogs;     // per dialog
  std::vector<std::string> MenuImages;  // per menu entry
  std::vector<std::string> Cursors;     // per cursor
  std::vector<std::string> Records;     // per package record
};

struct ExtractSource {
  const package::PackageLayout* Package = nullptr;  // null for a standalone project file
  project::ProjectModel* Model = nullptr;
  size_t LoadedImages = 0;    // images as stored (the rest are derived copies)
  size_t MenuScripts = 0;     // scripts at the end of the list that the loader made for menus
  size_t StoredVariables = 0; // variables as stored (the rest are registered system variables)
};

std::string SourceJson(const ExtractSource& source, const ExtractedNames& names);

// The package part alone (kind, header, resources, records), for convert's sidecar file.
std::string PackageJson(const package::PackageLayout& layout, const std::vector<std::string>& recordFiles);

// Scripts the loader appended for menu entries with actions: "Script-<id>" with consecutive ids
// ending just below NextScriptId, one per such entry, at the end of the list. 0 when the list
// does not end that way (for instance when a script section followed the menu section).
size_t CountMenuScripts(const project::ProjectModel& model);

}  // namespace kpf::tools
