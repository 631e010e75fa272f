#pragma once
// File names and paths of a source folder (kpftool extract / pack): stored names made into one
// safe file-name component, relative references checked to stay inside the folder, and the hex
// form of raw byte blocks in project.json.
#include <cstdint>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kpf::tools {

// One safe file-name component for a stored (Windows-1252) name: ASCII letters, digits and
// " ._-()+,@#" kept, every other byte "_", no leading/trailing dots or spaces, device names of
// Windows prefixed with "_", at most 100 bytes (the extension kept). Empty results give
// `fallback`.
std::string SafeFileName(std::string_view storedName, std::string_view fallback);

// Hands out names that differ without regard to case, adding "~2", "~3"... before the extension.
class UniqueNames {
 public:
  std::string Take(const std::string& name);

 private:
  std::set<std::string> taken_;  // lower-case
};

// `folder` / `reference` for a reference read from project.json. Throws std::runtime_error for
// an empty, absolute or backslash path and for "." / ".." components.
std::filesystem::path ResolveReference(const std::filesystem::path& folder,
                                       std::string_view reference);

// Whole file; throws std::runtime_error naming `reference` when it is missing or unreadable.
std::vector<uint8_t> ReadReferencedFile(const std::filesystem::path& folder,
                                        std::string_view reference);

void WriteFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);

std::string ToHex(std::span<const uint8_t> bytes);
// Throws std::runtime_error for odd lengths and non-hex characters.
std::vector<uint8_t> FromHex(std::string_view hex);

}  // namespace kpf::tools
