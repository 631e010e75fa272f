#include "media/SoundFile.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace kpf::media {
namespace {

namespace fs = std::filesystem;

bool StaysInside(const fs::path& folder, const fs::path& candidate) {
  auto [folderEnd, candidateAt] = std::mismatch(folder.begin(), folder.end(), candidate.begin(), candidate.end());
  return folderEnd == folder.end() && candidateAt != candidate.end();
}

}  // namespace

bool IsSoundFile(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         static_cast<uint64_t>(info.st_size) <= kMaxSoundFileSize;
}

std::optional<std::vector<uint8_t>> ReadFileHead(const std::string& path, size_t count) {
  if (!IsSoundFile(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes(count);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadSoundFile(const std::string& path) {
  struct stat info;
  if (!IsSoundFile(path) || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  auto bytes = ReadFileHead(path, static_cast<size_t>(info.st_size));
  if (!bytes || bytes->size() != static_cast<size_t>(info.st_size)) return std::nullopt;
  return bytes;
}

std::string SoundFileInsideFolder(const std::string& folder, const std::string& name) {
  if (folder.empty() || name.empty()) return {};
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const fs::path relativePath(relative);
  if (relativePath.is_absolute() || relativePath.has_root_name()) return {};
  for (const auto& part : relativePath)
    if (part == "..") return {};
  std::error_code error;
  const fs::path base = fs::canonical(folder, error);
  if (error) return {};
  const fs::path resolved = fs::weakly_canonical(base / relativePath, error);
  if (error || !StaysInside(base, resolved) || !IsSoundFile(resolved.string())) return {};
  return resolved.string();
}

std::string UpperExtension(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot);
  for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return extension;
}

std::string SystemTempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp != nullptr && *tmp == '/') ? tmp : "/tmp";
  if (!folder.ends_with('/')) folder += '/';
  return folder;
}

}  // namespace kpf::media
