#pragma once
// Where package resources go and how one is written there.
#include <cstdint>
#include <span>
#include <string>

#include "package/ResourceName.hpp"

namespace kpf::package {

// The system temporary folder ($TMPDIR, else /tmp), created with its missing parents, with a
// trailing '/'. Throws KpfError when it cannot be created.
std::string GetResourceFolder();

enum class ExtractResult { Created, AlreadyExists };

// Writes `content` to resourceFolder + the name's components. Missing sub-folders are created
// inside the resource folder; no link is followed below it and an existing file is left as it
// is. `fullPath` receives the path written. Throws KpfError on any other failure, leaving no
// partly written file behind.
ExtractResult ExtractResource(const std::string& resourceFolder, const ResourceName& name,
                              std::span<const uint8_t> content, std::string& fullPath);

}  // namespace kpf::package
