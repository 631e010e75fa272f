#pragma once
// Writes a project description as a kpftool source folder (project.json, images/*.png,
// sounds/*), so the sample character can be kept and edited as files and packed at build time.
#include <filesystem>

#include "project/ProjectWriter.hpp"

namespace kpf::samples {

// Handles what the sample uses: scripts of text/integer parameters, animations of image
// frames with sounds, sounds, option flags and variables. Images are named after the first
// animation frame that shows them ("walk_left-2.png").
void WriteSourceFolder(const project::ProjectSource& source, const std::filesystem::path& folder);

}  // namespace kpf::samples
