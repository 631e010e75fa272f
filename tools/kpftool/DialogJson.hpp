#pragma once
// Dialog objects as JSON: `kpftool info` describes each object of a definition, and the
// source folder of `extract`/`pack` keeps them as editable JSON with their pictures and stored
// files beside it. The members are the same in both; a block of bytes (a picture, the file of an
// HTML or Flash object) is described by its size in info and kept as a file in a source folder.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "dialogs/DialogDefinition.hpp"
#include "tools/kpftool/Json.hpp"
#include "tools/kpftool/JsonFields.hpp"

namespace kpf::tools {

// Saves a block and gives the folder-relative name it was saved under; `what` names the block
// ("Photo-image"). Without one, blocks are written as their size.
using BlockStore = std::function<std::string(std::span<const uint8_t> bytes, const std::string& what,
                                             uint8_t pictureKind)>;

// "objects": one per object in file order, then "error" when reading stopped early.
void WriteDialogObjectsJson(JsonWriter& json, const dialogs::DialogDefinition& definition, const BlockStore& store);

// The objects of an "objects" array; blocks are read from `folder`. Throws with the place of a
// fault.
dialogs::ObjectList ReadDialogObjectsJson(const JsonFields& dialog, const std::filesystem::path& folder);

}  // namespace kpf::tools
