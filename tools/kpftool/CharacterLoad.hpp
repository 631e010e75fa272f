#pragma once
// Loads a package or a standalone project file the way the player does, for the commands that
// look at a character without playing it (info, check, convert).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "package/ModelPackageHost.hpp"
#include "project/LoadProblems.hpp"

namespace kpf::tools {

struct LoadedResource {
  uint32_t tag = 0;
  std::string name;
  size_t size = 0;
};

// What the player sees of a file: a package (found by its trailer) goes through the player's own
// package path into a host that only keeps the model (title rule, tag-203 values, no files); any
// other file is a standalone project file.
struct LoadedCharacter {
  LoadedCharacter();
  // The host reports into `problems` of this object.
  LoadedCharacter(const LoadedCharacter&) = delete;
  LoadedCharacter& operator=(const LoadedCharacter&) = delete;

  // What the load skipped, clamped or ignored on its way, in the order met.
  std::vector<project::LoadProblem> problems;
  package::ModelPackageHost host;
  bool package = false;
  bool projectLoaded = false;  // the project stream loaded whole (a package's records may still fail)
  std::string storedTitle;  // the header's title as stored
  std::vector<LoadedResource> resources;
  std::string error;  // why loading stopped; the model holds what was read before
};

void LoadCharacter(std::span<const uint8_t> file, LoadedCharacter& loaded);

}  // namespace kpf::tools
