#pragma once
// Dialogs in a source folder. Extract writes each definition as editable JSON
// (dialogs/NNNN.json, its pictures and stored files in dialogs/NNNN/) when that JSON packs back
// into the very same bytes, and as the raw definition (dialogs/NNNN.bin) otherwise: a
// definition that does not read cleanly, or one whose layout the writer does not reproduce
// (stored values outside their range, extension bytes a class does not use, unknown records).
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "project/ProjectRecords.hpp"
#include "tools/kpftool/JsonFields.hpp"

namespace kpf::tools {

// The folder-relative reference written: "dialogs/NNNN.json" or "dialogs/NNNN.bin".
std::string WriteDialogSource(const std::filesystem::path& dir, size_t index, const project::TTaviDialog& dialog);
// Whether a reference names the JSON form.
bool IsDialogJson(const std::string& reference);
// The definition a dialog entry of project.json names by "definition" (JSON) or "file" (raw).
std::vector<uint8_t> ReadDialogSource(const JsonFields& dialog, const std::filesystem::path& folder);

}  // namespace kpf::tools
