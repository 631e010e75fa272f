#pragma once
// Reads a source folder (project.json and the files it names, format in PACK_FORMAT.md) into
// the description the project writer builds a project stream and a package from. Everything is
// validated: a missing file, a bad PNG, a wrong type or an out-of-range value or index throws
// std::runtime_error naming the place.
#include <filesystem>
#include <vector>

#include "project/ProjectWriter.hpp"

namespace kpf::tools {

struct PackInput {
  project::ProjectSource Project;
  project::PackageHeader Header;
  std::vector<project::PackageRecord> Records;
};

PackInput ReadSourceFolder(const std::filesystem::path& folder);

// The player program a package is appended to: `named` when given, else `kpfplayer` next to
// kpftool (or, in a build tree, in the app folder beside the tools folder). Throws when none.
std::filesystem::path PlayerProgram(const std::string& named);

}  // namespace kpf::tools
